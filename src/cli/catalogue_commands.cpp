// The image read as named settings: dump, diff, export and import.

#include <algorithm>
#include <fstream>
#include <optional>
#include <ostream>
#include <sstream>

#include "catalogue/field_catalogue.h"
#include "cli/catalogue_json.h"
#include "cli/commands.h"
#include "cli/transfer_commands.h"
#include "image/table_file.h"
#include "texts/cp1252.h"

namespace kpx::cli {

namespace {

// Where an image comes from: a table file, or a pager (on the board or the parallel port).
struct ImageSource {
    std::string file;
    PagerSource pager;
    bool IsPager() const { return pager.port || pager.lpt; }
};

struct Arguments {
    std::vector<ImageSource> sources;
    std::optional<std::string> trace;  // of every pager read
    bool noBackup = false;
    std::optional<std::string> output;
    bool json = false;
    bool showPasswords = false;
};

// FILE, --port PATH, -o FILE and the flags the command allows; a problem text on a usage error.
std::optional<Arguments> ParseArgs(const std::vector<std::string>& args, bool allowFlags,
                                   bool allowOutput, std::string& problem) {
    Arguments a;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool takesValue = arg == "--port" || arg == "--trace" ||
                                (allowOutput && (arg == "-o" || arg == "--output"));
        if (takesValue && i + 1 >= args.size()) {
            problem = arg + " needs a value";
            return std::nullopt;
        }
        if (arg == "--port") {
            ImageSource board;
            board.pager.port = args[++i];
            a.sources.push_back(board);
        } else if (arg == "--trace") {
            a.trace = args[++i];
        } else if (arg == "--no-backup") {
            a.noBackup = true;
        } else if (takesValue) {
            a.output = args[++i];
        } else if (arg == "--lpt" || arg.rfind("--lpt=", 0) == 0) {
            ImageSource lpt;
            lpt.pager.lpt = true;
            if (arg.size() > 6) {
                lpt.pager.lptPath = arg.substr(6);
            } else if (i + 1 < args.size() && args[i + 1].rfind("/dev/", 0) == 0) {
                lpt.pager.lptPath = args[++i];  // a device path, as the transfer commands take it
            }
            a.sources.push_back(lpt);
        } else if (allowFlags && arg == "--json") {
            a.json = true;
        } else if (allowFlags && arg == "--show-passwords") {
            a.showPasswords = true;
        } else if (!arg.empty() && arg[0] == '-') {
            problem = "unknown option " + arg;
            return std::nullopt;
        } else {
            ImageSource table;
            table.file = arg;
            a.sources.push_back(table);
        }
    }
    const bool pager = std::any_of(a.sources.begin(), a.sources.end(),
                                   [](const ImageSource& s) { return s.IsPager(); });
    if ((a.trace || a.noBackup) && !pager) {
        problem = "--trace and --no-backup go with a pager read (--port or --lpt)";
        return std::nullopt;
    }
    return a;
}

std::optional<PagerImage> Load(const ImageSource& source, const Arguments& a, CliIo& io) {
    if (source.IsPager()) {
        PagerSource pager = source.pager;
        pager.trace = a.trace;
        pager.noBackup = a.noBackup;
        return ReadPager(pager, io);
    }
    const TableFileLoad load = LoadTableFile(source.file);
    if (load.status != TableFileStatus::Ok) {
        io.err << load.message << "\n";
        return std::nullopt;
    }
    return PagerImage(load.bytes);
}

void PrintUtf8(std::ostream& out, const std::string& cp1252Line) {
    out << Cp1252ToUtf8(cp1252Line) << "\n";
}

int RunDump(const std::vector<std::string>& args, CliIo& io) {
    std::string problem;
    const auto a = ParseArgs(args, true, false, problem);
    if (!a) return UsageError("dump", problem, io);
    if (a->sources.size() != 1) return UsageError("dump", "expects one FILE or --port PATH", io);
    const std::optional<PagerImage> image = Load(a->sources[0], *a, io);
    if (!image) return kExitFailure;
    if (a->json) {
        io.out << DumpJson(*image, a->showPasswords);
        return kExitOk;
    }
    const std::vector<FieldReading> readings = ReadFields(*image);
    for (std::string_view page : kCataloguePages) {
        io.out << page << "\n";
        for (const FieldReading& r : readings) {
            if (r.field->page != page) continue;
            PrintUtf8(io.out,
                      "  " + r.field->name + ": " + ValueText(*r.field, r.value, a->showPasswords));
        }
    }
    return kExitOk;
}

int RunDiff(const std::vector<std::string>& args, CliIo& io) {
    std::string problem;
    auto a = ParseArgs(args, true, false, problem);
    if (a && a->json) problem = "unknown option --json";
    if (!a || a->json) return UsageError("diff", problem, io);
    if (a->sources.size() != 2) return UsageError("diff", "expects two images: A B", io);
    const std::optional<PagerImage> before = Load(a->sources[0], *a, io);
    if (!before) return kExitUsage;
    const std::optional<PagerImage> after = Load(a->sources[1], *a, io);
    if (!after) return kExitUsage;
    const ImageDiff diff = DiffImages(*before, *after, a->showPasswords);
    for (const std::string& line : DiffLines(diff)) PrintUtf8(io.out, line);
    return diff.empty() ? kExitOk : kExitFailure;
}

int RunExport(const std::vector<std::string>& args, CliIo& io) {
    if (args.size() == 1 && args[0] == "--schema") {
        io.out << SchemaJson();
        return kExitOk;
    }
    std::string problem;
    const auto a = ParseArgs(args, false, true, problem);
    if (!a) return UsageError("export", problem, io);
    if (a->sources.size() != 1 || !a->output) {
        return UsageError("export", "expects FILE.tbl (or --port PATH) and -o FILE.json", io);
    }
    const std::optional<PagerImage> image = Load(a->sources[0], *a, io);
    if (!image) return kExitFailure;
    const std::string failure = SaveFileAtomically(*a->output, ExportJson(*image));
    if (!failure.empty()) {
        io.err << failure << "\n";
        return kExitFailure;
    }
    return kExitOk;
}

int RunImport(const std::vector<std::string>& args, CliIo& io) {
    std::string problem;
    const auto a = ParseArgs(args, false, true, problem);
    if (!a) return UsageError("import", problem, io);
    if (a->sources.size() != 1 || a->sources[0].IsPager() || !a->output) {
        return UsageError("import", "expects FILE.json and -o FILE.tbl", io);
    }
    const std::string& path = a->sources[0].file;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        io.err << "kpx41 import: cannot read " << path << "\n";
        return kExitFailure;
    }
    std::ostringstream text;
    text << in.rdbuf();
    const JsonImport result = ImportJson(text.str());
    for (const std::string& e : result.errors) io.err << path << ":" << e << "\n";
    if (!result.image) {
        io.err << "kpx41 import: nothing written\n";
        return kExitFailure;
    }
    for (const std::string& note : result.notes) io.err << "kpx41 import: " << note << "\n";
    if (!HasModelText(result.image->bytes())) {
        io.err << "kpx41 import: the image has no model text KPX41 at 0x3E1-0x3E5; nothing "
                  "written\n";
        return kExitFailure;
    }
    const std::string failure = SaveTableFile(*a->output, *result.image);
    if (!failure.empty()) {
        io.err << failure << "\n";
        return kExitFailure;
    }
    return kExitOk;
}

}  // namespace

const CliCommand kDumpCommand{
    "dump", "dump [--json] [--show-passwords] (FILE | --port PATH [--trace FILE] [--no-backup])",
    "every named setting, page by page, as \"name: value\" (passwords masked)", RunDump};

const CliCommand kDiffCommand{
    "diff",
    "diff [--show-passwords] (A | --port PATH) (B | --port PATH) [--trace FILE] [--no-backup]",
    "the settings that differ, then the unnamed bytes; exit 0 equal, 1 different, 2 trouble",
    RunDiff};

const CliCommand kExportCommand{"export",
                                "export (FILE.tbl | --port PATH [--trace FILE] [--no-backup]) -o "
                                "FILE.json",
                                "the image as JSON: named settings and unnamed bytes", RunExport};

const CliCommand kImportCommand{
    "import", "import FILE.json -o FILE.tbl",
    "a table file from JSON, with the window's checks; omitted settings keep the defaults",
    RunImport};

}  // namespace kpx::cli
