#include "cli/file_messages.h"

#include <istream>
#include <ostream>
#include <sstream>

#include "cli/cli_app.h"
#include "support/file_message.h"

namespace kpx::cli {

void TellAboutFile(std::ostream& err, const std::string& path, const std::string& message) {
    err << FileMessage(path, message) << "\n";
}

void TellTableFileProblem(std::ostream& err, const std::string& path, const TableFileLoad& load) {
    TellAboutFile(err, path, load.message);
    if (!load.reason.empty()) err << load.reason << "\n";
}

int CheckOutput(std::ostream& err, const std::string& path, bool force) {
    const OutputCheck check = CheckOutputFile(path, force);
    switch (check.status) {
        case OutputStatus::Ok:
            return kExitOk;
        case OutputStatus::Exists:
            err << path << " already exists; use --force to replace it\n";
            return kExitUsage;
        case OutputStatus::Unwritable:
            break;
    }
    TellAboutFile(err, path, "cannot be written: " + check.why);
    return kExitFailure;
}

TableFileLoad LoadTable(const std::string& path, std::istream& in) {
    if (path != kStdio) return LoadTableFile(path);
    std::ostringstream content;
    content << in.rdbuf();
    return TableFromContent(kStandardInput, content.str());
}

}  // namespace kpx::cli
