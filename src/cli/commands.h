#pragma once

#include "cli/cli_app.h"

namespace kpx::cli {

// Each command lives in its own file and is listed once in the table in cli_app.cpp.
extern const CliCommand kNewCommand;     // table_commands.cpp
extern const CliCommand kCheckCommand;   // table_commands.cpp
extern const CliCommand kReadCommand;    // transfer_commands.cpp
extern const CliCommand kWriteCommand;   // transfer_commands.cpp
extern const CliCommand kVerifyCommand;  // transfer_commands.cpp
extern const CliCommand kPortsCommand;   // transfer_commands.cpp
extern const CliCommand kProbeCommand;   // transfer_commands.cpp
extern const CliCommand kProduceCommand;  // produce_command.cpp
extern const CliCommand kDoctorCommand;   // doctor_command.cpp
extern const CliCommand kDumpCommand;    // catalogue_commands.cpp
extern const CliCommand kDiffCommand;    // catalogue_commands.cpp
extern const CliCommand kExportCommand;  // catalogue_commands.cpp
extern const CliCommand kImportCommand;  // catalogue_commands.cpp

}  // namespace kpx::cli
