#pragma once

#include <string>

#include "image/default_image.h"
#include "image/pager_image.h"
#include "image/table_file.h"
#include "settings/frequency.h"
#include "support/user_dialogs.h"

namespace kpx {

// Opening a table file as the window's File/Open does: the checked bytes, then every byte the
// refresh's handlers write back when the controls show them (a list code no row stands for
// becomes the code of the row the list shows, a display code above 4 becomes "Alpha", the
// contrast is held to the slider's range, the side bytes of "Push Key Lamp On Enable",
// "Discard Error Msg", the baud rate and the low battery level follow their controls).
// Each handler's write-back is made whatever the controls showed before, so one file always
// gives the same image, in the window and on the command line alike; the refresh after it
// finds nothing more to write.
//
// `dialogs` hears what the handlers say (the battery-level order warning), each text once.
// `state` receives the band the file is recognised as (the start-up band when it names none).
PagerImage OpenImageAsWindow(const ImageBytes& bytes, const ProgramSettings& settings,
                             UserDialogs& dialogs, FrequencyState* state = nullptr);

struct OpenedTable {
    TableFileStatus status = TableFileStatus::ReadError;
    PagerImage image;
    FrequencyState frequency;
    std::string message;  // what to tell the user when status is not Ok
    std::string reason;   // for a short file, why it is refused
};
// LoadTableFile, then OpenImageAsWindow on a file that passed its check.
OpenedTable OpenTableAsWindow(const std::string& path, const ProgramSettings& settings,
                              UserDialogs& dialogs);

}  // namespace kpx
