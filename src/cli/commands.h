#pragma once

#include "cli/cli_app.h"

namespace kpx::cli {

// Each command lives in its own file and is listed once in the table in cli_app.cpp.
extern const CliCommand kNewCommand;    // table_commands.cpp
extern const CliCommand kCheckCommand;  // table_commands.cpp

}  // namespace kpx::cli
