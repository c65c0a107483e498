#include "support/version.h"

// The build passes the project version to this file alone, so a new version rebuilds one file.
#ifndef KPX41_VERSION
#error "KPX41_VERSION is set by the build"
#endif

namespace kpx {

std::string_view ProgramVersion() {
    return KPX41_VERSION;
}

std::string VersionText(std::string_view program) {
    std::string text(program);
    text += ' ';
    text += ProgramVersion();
    text += "\nThe KPX41 pager programmer, for KPX41C POCSAG pagers.\n";
    return text;
}

}  // namespace kpx
