#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "image/pager_image.h"
#include "link/port_io.h"
#include "timing/clock.h"

namespace kpx::cli {

// The pager transfers of the command-line tool:
//   read   [--port PATH] -o FILE       read the pager and save it as a table file
//   write  [--port PATH] FILE [--yes]  write a table file to the pager and verify it
//   verify [--port PATH] FILE          compare the pager with a table file
//   ports                              the cable's ports with their device paths
//   probe                              look for the board on the cable's ports
// Without --port the board is searched for on the listed ports. With --lpt the pager's memory is
// driven through the parallel port instead: the bases 0x378, 0x278 and 0x3BC through the
// machine's lookup, or the device PATH (a /dev/ path, or --lpt=PATH) directly. The messages the
// programmer shows in boxes go to the error stream with the same texts.
int CmdRead(const std::vector<std::string>& args, CliIo& io);
int CmdWrite(const std::vector<std::string>& args, CliIo& io);
int CmdVerify(const std::vector<std::string>& args, CliIo& io);
int CmdPorts(const std::vector<std::string>& args, CliIo& io);
int CmdProbe(const std::vector<std::string>& args, CliIo& io);

// The port and clock --lpt drives instead of the machine's parallel ports and clock (a
// simulator, in tests); nullptr gives the machine's back.
void UseParallelPort(PortIo* io, Clock* clock = nullptr);

// Where a command that only reads the pager finds it, and how it reads.
struct PagerSource {
    std::optional<std::string> port;     // the serial board's port, or the listed ports
    bool lpt = false;                    // the parallel link instead
    std::optional<std::string> lptPath;  // its device, or the probed ports
    std::optional<std::string> trace;    // --trace FILE
    bool noBackup = false;               // --no-backup
};

// Reads the whole pager as `read` does (texts decoded, the trace and the backup kept). Nothing
// when it failed (already told).
std::optional<PagerImage> ReadPager(const PagerSource& source, CliIo& io);

}  // namespace kpx::cli
