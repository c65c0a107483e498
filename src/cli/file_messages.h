#pragma once

#include <iosfwd>
#include <string>

#include "image/table_file.h"

namespace kpx::cli {

// On the command line every message about a file begins with the file's path: a command may
// name several files, and the window's texts ("This file is not exit!") do not say which.
// A message that begins with the path already is told as it is.
void TellAboutFile(std::ostream& err, const std::string& path, const std::string& message);

// A table file that cannot be used: the window's text and, for a short file, the reason.
void TellTableFileProblem(std::ostream& err, const std::string& path, const TableFileLoad& load);

// The look at an output FILE before any work is done (before a pager is read): 0 when it may
// be written; otherwise the exit code, told on err: 2 for an existing FILE without --force, 1
// for a path that cannot be written.
int CheckOutput(std::ostream& err, const std::string& path, bool force);

// "-" as a FILE: standard input to read, standard output to write.
inline constexpr const char* kStdio = "-";
inline constexpr const char* kStandardInput = "standard input";
// A table file, or with "-" the table on `in` (named "standard input" in the messages).
TableFileLoad LoadTable(const std::string& path, std::istream& in);

}  // namespace kpx::cli
