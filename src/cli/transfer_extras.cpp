#include "cli/transfer_extras.h"

#include <cerrno>
#include <cstring>
#include <ostream>

#include "image/charmap.h"
#include "platform/data_dirs.h"

namespace kpx::cli {

TraceFile::TraceFile(const std::string& path) : out_(path, std::ios::app), trace_(out_) {}

std::unique_ptr<TraceFile> TraceFile::Open(const std::string& path, std::ostream& err) {
    errno = 0;
    std::unique_ptr<TraceFile> file(new TraceFile(path));
    if (!file->out_) {
        err << "kpx41: cannot write the trace " << path << ": " << std::strerror(errno) << "\n";
        return nullptr;
    }
    return file;
}

std::unique_ptr<BackupStore> OpenBackups(bool enabled) {
    if (!enabled) return nullptr;
    auto store = std::make_unique<BackupStore>(BackupFolder());
    store->Prune();
    return store;
}

void KeepBackup(BackupStore* store, const PagerImage& image, const std::string& operation,
                std::ostream& err) {
    if (!store) return;
    std::string error;
    if (!store->Save(image, operation, &error)) {
        err << "kpx41: no backup kept: " << error << "\n";
    }
}

void KeepWrittenBackup(BackupStore* store, const PagerImage& written, std::ostream& err) {
    if (!store) return;
    PagerImage decoded = written;
    DecodeTextRegions(decoded);
    KeepBackup(store, decoded, "write", err);
}

}  // namespace kpx::cli
