#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "sim/board_simulator.h"
#include "testsupport/link_fakes.h"

namespace kpx::testing {

// What one run of kpx41 gave: its exit code and both streams.
struct Result {
    int code;
    std::string out;
    std::string err;
};

// Without --port kpx41 looks for the board on the cable ports the lister gives: by default
// none, so that no test ever talks to a cable plugged into the machine.
inline Result Kpx41(const std::vector<std::string>& args, DeviceLister* lister = nullptr) {
    std::ostringstream out, err;
    ScriptedLister none;
    cli::CliIo io{out, err};
    io.lister = lister ? lister : &none;
    const int code = cli::RunCli(args, io);
    return {code, out.str(), err.str()};
}

// A started board simulator on a pseudo-terminal; its memory starts blank but for the
// identification text. Paced, bytes take their wire time, so that a pager takes its seconds.
struct Board {
    explicit Board(sim::BoardOptions options = {}, bool pace = false)
        : simulator({options, pace, ""}) {
        EXPECT_TRUE(simulator.Start());
    }
    std::string path() const { return simulator.SlavePath(); }
    sim::BoardSimulator simulator;
};

}  // namespace kpx::testing
