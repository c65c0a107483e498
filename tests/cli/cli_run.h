#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "sim/board_simulator.h"

namespace kpx::testing {

// What one run of kpx41 gave: its exit code and both streams.
struct Result {
    int code;
    std::string out;
    std::string err;
};

inline Result Kpx41(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int code = cli::RunCli(args, out, err);
    return {code, out.str(), err.str()};
}

// A started board simulator on a pseudo-terminal; its memory starts blank but for the
// identification text.
struct Board {
    explicit Board(sim::BoardOptions options = {}) : simulator({options, false, ""}) {
        EXPECT_TRUE(simulator.Start());
    }
    std::string path() const { return simulator.SlavePath(); }
    sim::BoardSimulator simulator;
};

}  // namespace kpx::testing
