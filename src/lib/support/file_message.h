#pragma once

#include <string>

namespace kpx {

// A message about a file, beginning with the file's path: a command may name several files,
// and the window's texts ("This file is not exit!") do not say which. A message that begins
// with the path already ("x.csv is in use by another run") is kept as it is.
std::string FileMessage(const std::string& path, const std::string& message);

}  // namespace kpx
