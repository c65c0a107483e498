#pragma once

#include "image/pager_image.h"

namespace kpx {

// What a pager holds after the start-up image has been written to it: texts in the pager's
// character set, capcodes without an enabled function disabled, the write flag at 0x3E0 set.
// Every simulated pager starts from it, so that reading one shows the window's own start.
ImageBytes FreshPagerMemory();

}  // namespace kpx
