// kpx41-boardsim: the programming board on a pseudo-terminal, for trying the programmer
// without hardware. Prints the slave path on its first line, then serves until SIGINT/SIGTERM
// (or until an injected hang-up). SIGUSR1 writes the memory dump.
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <thread>

#include "image/identification.h"
#include "settings/bands.h"
#include "sim/board_simulator.h"
#include "support/version.h"
#include "sim/fresh_memory.h"

namespace {

volatile std::sig_atomic_t gStop = 0;
volatile std::sig_atomic_t gDump = 0;

void OnStop(int) {
    gStop = 1;
}
void OnDump(int) {
    gDump = 1;
}

// Asked-for help goes to stdout; after a usage error to stderr.
int Usage(const char* message, std::ostream& out = std::cerr) {
    if (message) out << "kpx41-boardsim: " << message << "\n";
    out << "usage: kpx41-boardsim [--memory FILE] [--model TEXT] [--gp] [--dump FILE]\n"
           "                      [--pace] [--fault KIND[@N]] [--swap]\n"
           "       kpx41-boardsim --help | --version\n"
           "  --memory FILE   pager memory at power-up (up to 2048 bytes); without it, what\n"
           "                  writing the programmer's start-up image leaves on a pager\n"
           "  --model TEXT    identification text at 0x3E1 (default KPX41V1.0V1.03)\n"
           "  --gp            mark the pager GP(RoHS) (0xAA at 0x3F8)\n"
           "  --dump FILE     write the memory there on exit and on SIGUSR1\n"
           "  --pace          bytes take their time on the line (9600 baud)\n"
           "  --fault KIND    wrong-checksum, short-reply, no-reply, no-ack, wrong-ack,\n"
           "                  hangup-read, hangup-write; @N hits only the N-th read or\n"
           "                  write command\n"
           "  --swap          an operator takes each pager out a second after it was\n"
           "                  verified and puts a fresh one in a second later\n"
           "  --help          this text\n"
           "  --version       the program's version\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    kpx::sim::BoardSimulator::Config config;
    std::string memoryFile;
    bool modelGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (arg == "--memory" || arg == "--model" || arg == "--dump" || arg == "--fault") {
            const char* v = value();
            if (!v) return Usage((arg + " needs a value").c_str());
            if (arg == "--memory") memoryFile = v;
            if (arg == "--model") {
                config.board.identification = v;
                modelGiven = true;
            }
            if (arg == "--dump") config.dumpPath = v;
            if (arg == "--fault") {
                auto plan = kpx::sim::ParseFault(v);
                if (!plan) return Usage("unknown fault");
                config.board.fault = *plan;
            }
        } else if (arg == "--gp") {
            config.board.gpMarker = true;
        } else if (arg == "--pace") {
            config.pace = true;
        } else if (arg == "--swap") {
            config.operatorSwaps = true;
        } else if (arg == "--help" || arg == "-h") {
            Usage(nullptr, std::cout);
            return 0;
        } else if (arg == "--version") {
            std::cout << kpx::VersionText("kpx41-boardsim");
            return 0;
        } else {
            return Usage(("unknown option " + arg).c_str());
        }
    }
    if (!memoryFile.empty()) {
        config.board.memory = kpx::sim::LoadMemoryFile(memoryFile);
        if (!config.board.memory) {
            std::cerr << "kpx41-boardsim: cannot read " << memoryFile << "\n";
            return 1;
        }
        if (config.board.gpMarker) (*config.board.memory)[kpx::kGpMarkerAddress] = kpx::kGpMarker;
    } else {
        // A pager as the programmer's own start-up image leaves it, so that reading it shows
        // what the window shows at start.
        kpx::sim::BoardMemory memory = kpx::sim::FreshBoardMemory();
        if (modelGiven) kpx::WriteIdentification(memory, config.board.identification);
        if (config.board.gpMarker) memory[kpx::kGpMarkerAddress] = kpx::kGpMarker;
        config.board.memory = memory;
    }

    kpx::sim::BoardSimulator sim(config);
    std::string error;
    if (!sim.Start(&error)) {
        std::cerr << "kpx41-boardsim: " << error << "\n";
        return 1;
    }
    std::signal(SIGINT, OnStop);
    std::signal(SIGTERM, OnStop);
    std::signal(SIGUSR1, OnDump);
    std::cout << sim.SlavePath() << std::endl;

    while (!gStop && !sim.HungUp()) {
        if (gDump) {
            gDump = 0;
            sim.DumpNow();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    sim.Stop();
    return 0;
}
