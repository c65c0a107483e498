#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "production/ledger.h"

namespace kpx {

// A plain file that one process at a time appends to, such as the production log. The lock
// is an flock on the open file, so it goes with the process however that ends.
class LockedLog : public AppendFile {
  public:
    // Opens the file for appending, creating it if need be, and takes the lock. Nothing, with
    // the reason in *error, when it cannot be opened, is not a plain file, or another process
    // holds it.
    static std::unique_ptr<LockedLog> Open(const std::string& path, std::string* error);
    ~LockedLog() override;
    LockedLog(const LockedLog&) = delete;
    LockedLog& operator=(const LockedLog&) = delete;

    // What the file holds, read through the locked descriptor.
    bool ReadAll(std::string* content, std::string* error) const;
    // All of text at the end of the file, or false with the reason (a full disk, a quota). What
    // was written reaches the system at once: a killed process loses none of it.
    bool Append(std::string_view text, std::string* error) override;

  private:
    explicit LockedLog(int fd) : fd_(fd) {}
    int fd_;
};

}  // namespace kpx
