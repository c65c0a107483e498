#pragma once

#include <fstream>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>

#include "image/pager_image.h"
#include "link/frame_trace.h"
#include "production/backups.h"

namespace kpx::cli {

// --trace FILE: the frame trace of a command, appended to FILE.
class TraceFile {
  public:
    // Nothing, with the reason on err, when the file cannot be opened.
    static std::unique_ptr<TraceFile> Open(const std::string& path, std::ostream& err);
    FrameTrace& trace() { return trace_; }

  private:
    explicit TraceFile(const std::string& path);
    std::ofstream out_;
    FrameTrace trace_;
};

// The backup folder of the command line (pruned on opening), or nothing with --no-backup.
std::unique_ptr<BackupStore> OpenBackups(bool enabled);
// Keeps a backup of an image in PC characters; a failure is told on err but ends nothing.
void KeepBackup(BackupStore* store, const PagerImage& image, const std::string& operation,
                std::ostream& err);
// The same for an image in the pager's character set, as it went to the pager.
void KeepWrittenBackup(BackupStore* store, const PagerImage& written, std::ostream& err);

}  // namespace kpx::cli
