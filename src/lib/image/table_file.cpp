#include "image/table_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string_view>
#include <system_error>

#include "image/identification.h"

namespace kpx {

namespace fs = std::filesystem;

namespace {

std::string LastErrorText() {
    const int error = errno;
    return error != 0 ? std::strerror(error) : "input/output error";
}

std::string ReadFailure(const std::string& path, const std::string& why) {
    return "The file [" + path + "] cannot be read: " + why;
}

std::string SaveFailure(const std::string& path, const std::string& why) {
    return "The file [" + path + "] cannot be saved: " + why;
}

// Why a path that exists cannot be a table file, or nothing when it is a regular file.
const char* NotAPlainFile(const fs::file_status& status) {
    switch (status.type()) {
        case fs::file_type::regular:
            return nullptr;
        case fs::file_type::directory:
            return "it is a folder";
        case fs::file_type::fifo:
            return "it is a named pipe";
        case fs::file_type::block:
        case fs::file_type::character:
            return "it is a device";
        default:
            return "it is not a regular file";
    }
}

// A name in the target's own folder (so the rename stays on one file system) that no other
// file is using.
fs::path TemporaryNameBeside(const fs::path& target) {
    std::random_device random;
    const fs::path folder = target.parent_path();
    for (;;) {
        fs::path candidate = folder / (".kpx41-save-" + std::to_string(random()) + ".tmp");
        std::error_code ec;
        if (!fs::exists(fs::symlink_status(candidate, ec))) return candidate;
    }
}

}  // namespace

std::string BadFormatMessage(const std::string& path) {
    return "The [" + path + "] is not correct format, the file will discard !";
}

bool HasModelText(const ImageBytes& bytes) {
    return IsKpx41(IdentificationText(bytes));
}

TableFileLoad LoadTableFile(const std::string& path) {
    TableFileLoad result;
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (status.type() == fs::file_type::not_found) {
        result.status = TableFileStatus::NotFound;
        result.message = kFileNotExist;
        return result;
    }
    if (ec) {
        result.message = ReadFailure(path, ec.message());
        return result;
    }
    // A pipe or a device would block the read or never end it: only plain files are opened.
    if (const char* why = NotAPlainFile(status)) {
        result.message = ReadFailure(path, why);
        return result;
    }

    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        result.message = ReadFailure(path, LastErrorText());
        return result;
    }
    ImageBytes buffer{};
    in.read(reinterpret_cast<char*>(buffer.data()), kImageSize);
    if (in.bad()) {
        result.message = ReadFailure(path, LastErrorText());
        return result;
    }

    return TableFromContent(
        path, std::string_view(reinterpret_cast<const char*>(buffer.data()),
                               static_cast<std::size_t>(in.gcount())));
}

TableFileLoad TableFromContent(const std::string& name, std::string_view content) {
    TableFileLoad result;
    ImageBytes buffer{};
    const std::size_t length = std::min<std::size_t>(content.size(), kImageSize);
    std::copy_n(content.begin(), length, reinterpret_cast<char*>(buffer.data()));
    if (length < kImageSize || !HasModelText(buffer)) {
        result.status = TableFileStatus::BadFormat;
        result.message = BadFormatMessage(name);
        if (length < kImageSize) {
            result.reason = name + " is " + std::to_string(length) + " bytes; a table file holds " +
                            std::to_string(kImageSize);
        }
        return result;
    }
    result.status = TableFileStatus::Ok;
    result.bytes = buffer;
    return result;
}

std::string SaveTableFile(const std::string& path, const PagerImage& image) {
    return SaveFileAtomically(
        path, std::string_view(reinterpret_cast<const char*>(image.bytes().data()), kImageSize));
}

std::string SaveFileAtomically(const std::string& path, std::string_view content) {
    if (path.empty()) return SaveFailure(path, "no file name given");
    std::error_code ec;
    // Through a symbolic link to the file it names, so the link stays a link.
    fs::path target = fs::weakly_canonical(fs::absolute(fs::path(path)), ec);
    if (ec) target = fs::absolute(fs::path(path));
    const fs::file_status targetStatus = fs::status(target, ec);
    if (fs::exists(targetStatus)) {
        if (const char* why = NotAPlainFile(targetStatus)) return SaveFailure(path, why);
    }
    if (!fs::is_directory(fs::status(target.parent_path(), ec))) {
        return SaveFailure(path, "the folder does not exist");
    }

    if (fs::exists(targetStatus)) {
        // The rename would replace a file we may not write to; respect its protection.
        errno = 0;
        std::ofstream probe(target, std::ios::binary | std::ios::app);
        if (!probe) return SaveFailure(path, LastErrorText());
    }

    const fs::path temp = TemporaryNameBeside(target);
    errno = 0;
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return SaveFailure(path, LastErrorText());
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    if (!out) {
        const std::string why = LastErrorText();
        fs::remove(temp, ec);
        return SaveFailure(path, why);
    }

    // Keep the permissions the old file had.
    if (fs::exists(targetStatus)) fs::permissions(temp, targetStatus.permissions(), ec);

    fs::rename(temp, target, ec);
    if (ec) {
        const std::string why = ec.message();
        fs::remove(temp, ec);
        return SaveFailure(path, why);
    }
    return {};
}

OutputCheck CheckOutputFile(const std::string& path, bool replace) {
    auto unwritable = [](std::string why) { return OutputCheck{OutputStatus::Unwritable, why}; };
    if (path.empty()) return unwritable("no file name given");
    std::error_code ec;
    fs::path target = fs::weakly_canonical(fs::absolute(fs::path(path)), ec);
    if (ec) target = fs::absolute(fs::path(path));
    const fs::file_status targetStatus = fs::status(target, ec);
    const bool exists = fs::exists(targetStatus);
    if (exists) {
        if (const char* why = NotAPlainFile(targetStatus)) return unwritable(why);
        if (!replace) return {OutputStatus::Exists, "it exists"};
    }
    if (!fs::is_directory(fs::status(target.parent_path(), ec))) {
        return unwritable("the folder does not exist");
    }
    if (exists) {
        errno = 0;
        std::ofstream probe(target, std::ios::binary | std::ios::app);
        if (!probe) return unwritable(LastErrorText());
    }
    // The save writes a file beside the target and renames it: the folder must take one.
    const fs::path temp = TemporaryNameBeside(target);
    errno = 0;
    std::ofstream probe(temp, std::ios::binary | std::ios::trunc);
    if (!probe) return unwritable(LastErrorText());
    probe.close();
    fs::remove(temp, ec);
    return {};
}

std::string CaptionWithPath(const std::string& caption, const std::string& path) {
    const std::size_t bracket = caption.find('[');
    if (bracket != std::string::npos) return caption.substr(0, bracket + 1) + path + "]";
    return caption + " - [" + path + "]";
}

}  // namespace kpx
