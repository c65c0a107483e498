#include "fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>

namespace kpx::fuzz {

namespace {

void AbortOnFailure(const char* harness, const char* what) {
    std::fprintf(stderr, "fuzz harness %s: invariant broken: %s\n", harness, what);
    std::abort();
}

FailureHandler handler = AbortOnFailure;

// The scratch files go when the process ends.
struct ScratchFiles {
    ~ScratchFiles() {
        for (const std::string& p : paths) std::remove(p.c_str());
    }
    std::set<std::string> paths;
};
ScratchFiles scratch;

}  // namespace

void SetFailureHandler(FailureHandler h) {
    handler = h ? h : AbortOnFailure;
}

void Fail(const char* harness, const char* what) {
    handler(harness, what);
}

std::string ScratchFile(const char* name, const std::uint8_t* data, std::size_t size) {
    static const std::string folder = [] {
        const char* tmp = std::getenv("TMPDIR");
        return std::string(tmp && *tmp ? tmp : "/tmp");
    }();
    const std::string path = folder + "/kpx41-fuzz-" + std::to_string(::getpid()) + "-" + name;
    scratch.paths.insert(path);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return path;
}

}  // namespace kpx::fuzz
