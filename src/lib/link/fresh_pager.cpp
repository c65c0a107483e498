#include "link/fresh_pager.h"

#include "image/charmap.h"
#include "image/default_image.h"
#include "catalogue/startup_image.h"
#include "link/serial_transfers.h"

namespace kpx {

ImageBytes FreshPagerMemory() {
    PagerImage image = BuildStartupImage(DefaultProgramSettings());
    // The steps a write takes on the image it sends, in its order.
    EncodeTextRegions(image);
    DisableCapcodesWithoutFunction(image);
    image.set(kWriteFlagAddress, 1);
    return image.bytes();
}

}  // namespace kpx
