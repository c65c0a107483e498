#pragma once

#include <QWidget>

#include "image/pager_image.h"
#include "support/user_dialogs.h"

namespace kpx::gui {

inline constexpr const char* kShowDifferencesQuestion =
    "The pager does not hold what was written.\r\nShow the settings that differ?";

// After "Verify Error!": asks whether to list the settings that differ and, on Yes, shows them
// in a small window "frmVerifyDiff" (window value -> pager value, one per line). `written` and
// `pager` are in the pager's character set, as the verify compared them.
void OfferVerifyDifferences(QWidget* parent, UserDialogs& dialogs, const PagerImage& written,
                            const ImageBytes& pager);

}  // namespace kpx::gui
