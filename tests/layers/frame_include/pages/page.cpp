// Planted faults for the piece check: a page includes the frame, and a shared helper and a
// dialog beside it, which it may.
#include "gui/dialogs/editor.h"
#include "gui/main_window.h"
#include "gui/window_helpers.h"
