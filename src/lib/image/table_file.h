#pragma once

#include <string>
#include <string_view>

#include "image/pager_image.h"

namespace kpx {

// Texts of the table-file commands, letter for letter.
inline constexpr const char* kFileNotExist = "This file is not exit!";
inline constexpr const char* kFileExistsQuestion =
    "This file is arealy exist ! \r\nAre you sure overwrite this file?";
std::string BadFormatMessage(const std::string& path);

// A table file is the 1024 image bytes, raw. Reading takes the first 1024 bytes (bytes past
// them are ignored) and checks the model text "KPX41" at 0x3E1-0x3E5. Every file the program
// writes holds 1024 bytes, so a shorter one is damaged: it is refused as not of the format,
// since filling it up with zeros would write zeros over a pager's identification. A path that
// is not a regular file (a folder, a named pipe, a device) is refused with a message and never
// opened, so nothing blocks on it.
enum class TableFileStatus { Ok, NotFound, ReadError, BadFormat };
struct TableFileLoad {
    TableFileStatus status = TableFileStatus::ReadError;
    ImageBytes bytes{};
    std::string message;  // what to tell the user when status is not Ok (the window's text)
    std::string reason;   // for a short file, why: "s.tbl is 998 bytes; a table file holds 1024"
};
TableFileLoad LoadTableFile(const std::string& path);
// The same checks on a table file's content already read (standard input, say); `name` names
// it in the messages.
TableFileLoad TableFromContent(const std::string& name, std::string_view content);

bool HasModelText(const ImageBytes& bytes);

// Writes exactly the 1024 image bytes. The bytes go to a temporary file in the target's folder
// that is then renamed over the target, so a failed save leaves the old file as it was. An
// existing target that is not a regular file is refused.
// Returns an empty string on success, otherwise a message naming the file.
std::string SaveTableFile(const std::string& path, const PagerImage& image);
// The same for any content (an exported image, for one).
std::string SaveFileAtomically(const std::string& path, std::string_view content);

// Whether a file can be saved at path before the work that makes its content begins (a pager
// read takes seconds): Exists when a file is there and replacing it was not asked for;
// Unwritable, with why ("it is a folder", "the folder does not exist", "Permission denied"),
// when a save would fail. Nothing is left behind by the look.
enum class OutputStatus { Ok, Exists, Unwritable };
struct OutputCheck {
    OutputStatus status = OutputStatus::Ok;
    std::string why;
};
OutputCheck CheckOutputFile(const std::string& path, bool replace);

// The window caption after a successful open or save: exactly one bracketed path.
std::string CaptionWithPath(const std::string& caption, const std::string& path);

}  // namespace kpx
