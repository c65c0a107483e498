#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "image/pager_image.h"

namespace kpx::cli {

// The pager transfers of the command-line tool:
//   read   [--port PATH] -o FILE       read the pager and save it as a table file
//   write  [--port PATH] FILE [--yes]  write a table file to the pager and verify it
//   verify [--port PATH] FILE          compare the pager with a table file
//   ports                              the cable's ports with their device paths
//   probe                              look for the board on the cable's ports
// Without --port the board is searched for on the listed ports. The messages the programmer
// shows in boxes go to the error stream with the same texts.
int CmdRead(const std::vector<std::string>& args, CliIo& io);
int CmdWrite(const std::vector<std::string>& args, CliIo& io);
int CmdVerify(const std::vector<std::string>& args, CliIo& io);
int CmdPorts(const std::vector<std::string>& args, CliIo& io);
int CmdProbe(const std::vector<std::string>& args, CliIo& io);

// Reads the whole pager as `read` does (texts decoded); nothing when it failed (already told).
std::optional<PagerImage> ReadPager(const std::optional<std::string>& port, CliIo& io);

}  // namespace kpx::cli
