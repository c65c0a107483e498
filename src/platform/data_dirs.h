#pragma once

#include <string>

namespace kpx {

// Where the backups of pager images go: $XDG_DATA_HOME/kpx41/backups, with $XDG_DATA_HOME
// defaulting to ~/.local/share.
std::string BackupFolder();

}  // namespace kpx
