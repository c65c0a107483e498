#include "production/backups.h"

#include <filesystem>
#include <regex>

#include "image/table_file.h"
#include "settings/capcode.h"

namespace kpx {

namespace fs = std::filesystem;

std::string BackupName(WallClock::time_point when, const std::string& operation, int capcode1) {
    return CompactTime(when) + "_" + operation + "_" + CapcodeDigits(capcode1) + ".tbl";
}

std::optional<WallClock::time_point> BackupTime(const std::string& fileName) {
    // Only names this store makes, so that pruning never takes a file of the user's.
    static const std::regex ours(R"(\d{8}_\d{6}_(read|write)_\d{7}(-\d+)?\.tbl)");
    if (!std::regex_match(fileName, ours)) return std::nullopt;
    return ParseCompactTime(fileName.substr(0, 15));
}

BackupStore::BackupStore(std::string folder, std::function<WallClock::time_point()> now)
    : folder_(std::move(folder)), now_(std::move(now)) {}

std::optional<std::string> BackupStore::Save(const PagerImage& image, const std::string& operation,
                                             std::string* error) {
    std::lock_guard lock(mutex_);
    std::error_code ec;
    fs::create_directories(folder_, ec);
    const std::string name = BackupName(now_(), operation, CapcodeValue(image, 0));
    fs::path path = fs::path(folder_) / name;
    for (int n = 2; fs::exists(path, ec); ++n) {
        path = fs::path(folder_) /
               (name.substr(0, name.size() - 4) + "-" + std::to_string(n) + ".tbl");
    }
    const std::string failure = SaveTableFile(path.string(), image);
    if (!failure.empty()) {
        if (error) *error = failure;
        return std::nullopt;
    }
    return path.string();
}

int BackupStore::Prune(int keepDays) {
    std::lock_guard lock(mutex_);
    const auto limit = now_() - std::chrono::days(keepDays);
    int removed = 0;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder_, ec)) {
        if (!entry.is_regular_file(ec)) continue;
        const auto when = BackupTime(entry.path().filename().string());
        if (when && *when < limit && fs::remove(entry.path(), ec)) ++removed;
    }
    return removed;
}

}  // namespace kpx
