#pragma once

#include "image/default_image.h"
#include "image/pager_image.h"
#include "settings/frequency.h"

namespace kpx {

// The image the programmer holds once it has started (before any "/default.tbl"): the default
// image, band row "130-180MHz" with its default spacing applied, the logo font written back by
// the refresh, and the logo text centred in the logo box and stored into slot 0x100.
// `state` receives the frequency block's state that goes with it.
PagerImage BuildStartupImage(const ProgramSettings& settings, FrequencyState* state = nullptr);

}  // namespace kpx
