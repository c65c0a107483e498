#pragma once

#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "image/pager_image.h"
#include "support/iso_time.h"

namespace kpx {

inline constexpr int kBackupKeepDays = 365;

// "20261208_125300_read_1234567.tbl": the time (UTC), the operation and capcode 1.
std::string BackupName(WallClock::time_point when, const std::string& operation, int capcode1);
// The time a backup's name carries; nothing for a file that is not a backup.
std::optional<WallClock::time_point> BackupTime(const std::string& fileName);

// Every image read from a pager and every image written to one, kept as table files in one
// folder, so an earlier state of any pager can be opened again. Safe to share between threads.
class BackupStore {
  public:
    explicit BackupStore(std::string folder,
                         std::function<WallClock::time_point()> now = WallClock::now);

    const std::string& folder() const { return folder_; }
    // Saves the image (PC characters, as a table file) as a new backup; two backups in one
    // second get distinct names. Returns the file's path, or nothing with *error set.
    std::optional<std::string> Save(const PagerImage& image, const std::string& operation,
                                    std::string* error = nullptr);
    // Removes the backups older than keepDays; returns how many went.
    int Prune(int keepDays = kBackupKeepDays);

  private:
    std::string folder_;
    std::function<WallClock::time_point()> now_;
    std::mutex mutex_;
};

}  // namespace kpx
