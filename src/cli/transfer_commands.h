#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace kpx::cli {

// The pager transfers of the command-line tool:
//   read   [--port PATH] -o FILE       read the pager and save it as a table file
//   write  [--port PATH] FILE [--yes]  write a table file to the pager and verify it
//   verify [--port PATH] FILE          compare the pager with a table file
//   ports                              the cable's ports with their device paths
//   probe                              look for the board on the cable's ports
// Without --port the board is searched for on the listed ports. The messages the programmer
// shows in boxes go to err with the same texts. Exit status 0 done, 1 failed, 2 usage error.
int CmdRead(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int CmdWrite(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int CmdVerify(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int CmdPorts(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int CmdProbe(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

struct TransferCommand {
    const char* name;
    int (*run)(const std::vector<std::string>&, std::ostream&, std::ostream&);
    const char* usage;
};
const std::vector<TransferCommand>& TransferCommands();

// Runs the named transfer command; -1 when name is not one of them.
int RunTransferCommand(const std::string& name, const std::vector<std::string>& args,
                       std::ostream& out, std::ostream& err);

}  // namespace kpx::cli
