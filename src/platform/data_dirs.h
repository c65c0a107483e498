#pragma once

#include <string>

namespace kpx {

// $HOME, else the password database's home of this user.
std::string HomeFolder();

// Where the backups of pager images go: $XDG_DATA_HOME/kpx41/backups, with $XDG_DATA_HOME
// defaulting to ~/.local/share.
std::string BackupFolder();

// $XDG_CONFIG_HOME/kpx41, with $XDG_CONFIG_HOME defaulting to ~/.config.
std::string ConfigFolder();

// Where the programmer keeps default.tbl, and the file of its settings.
struct ProgramFolders {
    std::string program;
    // Empty for a program that runs from a folder of its own (a build tree): it keeps no
    // settings and its file dialogs open in its folder.
    std::string settingsFile;
};

// The program's own folder when this user can write it and it is not a system folder (/usr,
// /bin, /sbin, /opt, /snap) outside a build tree; otherwise (an installed program, also when
// root runs it) ConfigFolder(), created when missing, with settings.reg in it.
ProgramFolders ChooseProgramFolders(const std::string& executableFolder);

}  // namespace kpx
