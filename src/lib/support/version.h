#pragma once

#include <string>
#include <string_view>

namespace kpx {

// The program's version: the build's project version, the same for all three programs.
std::string_view ProgramVersion();

// What `--version` prints: "<program> <version>" and the line about the version's source.
std::string VersionText(std::string_view program);

}  // namespace kpx
