// The image read as named settings: dump, diff, export and import.

#include <algorithm>
#include <fstream>
#include <optional>
#include <ostream>
#include <sstream>

#include "catalogue/field_catalogue.h"
#include "cli/catalogue_json.h"
#include "cli/commands.h"
#include "cli/file_messages.h"
#include "cli/transfer_commands.h"
#include "image/table_file.h"
#include "texts/cp1252.h"

namespace kpx::cli {

namespace {

// Where an image comes from: a table file, or a pager (on the board or the parallel port).
struct ImageSource {
    std::string given;  // the argument as typed, to name it in a usage error
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
    bool force = false;    // -o may replace an existing file
    bool verbose = false;  // import: every setting left out, by name
};

// The flags a command takes beyond its images, --trace and --no-backup.
struct Takes {
    bool flags = false;    // --json, --show-passwords
    bool output = false;   // -o FILE, --force
    bool verbose = false;  // --verbose
};

// FILE, --port PATH, -o FILE and the flags the command takes; a problem text naming the
// argument on a usage error.
std::optional<Arguments> ParseArgs(const std::vector<std::string>& args, const Takes& takes,
                                   std::string& problem) {
    Arguments a;
    auto unexpected = [&](const std::string& arg) {
        problem = "unexpected argument " + arg;
        return std::nullopt;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool isOutput = arg == "-o" || arg == "--output";
        if (isOutput && !takes.output) return unexpected(arg);
        const bool takesValue = arg == "--port" || arg == "--trace" || isOutput;
        if (takesValue && i + 1 >= args.size()) {
            problem = arg + " needs a value";
            return std::nullopt;
        }
        if (arg == "--port") {
            ImageSource board;
            board.given = arg + " " + args[i + 1];
            board.pager.port = args[++i];
            a.sources.push_back(board);
        } else if (arg == "--trace") {
            a.trace = args[++i];
        } else if (arg == "--no-backup") {
            a.noBackup = true;
        } else if (isOutput) {
            a.output = args[++i];
        } else if (arg == "--lpt" || arg.rfind("--lpt=", 0) == 0) {
            ImageSource lpt;
            lpt.given = arg;
            lpt.pager.lpt = true;
            if (arg.size() > 6) {
                lpt.pager.lptPath = arg.substr(6);
            } else if (i + 1 < args.size() && args[i + 1].rfind("/dev/", 0) == 0) {
                lpt.pager.lptPath = args[++i];  // a device path, as the transfer commands take it
            }
            a.sources.push_back(lpt);
        } else if (arg == "--json" || arg == "--show-passwords") {
            if (!takes.flags) return unexpected(arg);
            (arg == "--json" ? a.json : a.showPasswords) = true;
        } else if (arg == "--force" || arg == "-f") {
            if (!takes.output) return unexpected(arg);
            a.force = true;
        } else if (arg == "--verbose" || arg == "-v") {
            if (!takes.verbose) return unexpected(arg);
            a.verbose = true;
        } else if (!arg.empty() && arg[0] == '-') {
            problem = "unknown option " + arg;
            return std::nullopt;
        } else {
            ImageSource table;
            table.given = arg;
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

// The usage problem of a command that takes `wanted` images, naming the first one too many.
std::string ImageCountProblem(const Arguments& a, std::size_t wanted, const std::string& needs) {
    if (a.sources.size() > wanted) return "unexpected argument " + a.sources[wanted].given;
    return a.sources.size() < wanted ? needs : std::string();
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
        TellTableFileProblem(io.err, source.file, load);
        return std::nullopt;
    }
    return PagerImage(load.bytes);
}

void PrintUtf8(std::ostream& out, const std::string& cp1252Line) {
    out << Cp1252ToUtf8(cp1252Line) << "\n";
}

int RunDump(const std::vector<std::string>& args, CliIo& io) {
    std::string problem;
    const auto a = ParseArgs(args, {.flags = true}, problem);
    if (a) problem = ImageCountProblem(*a, 1, "needs a FILE or --port PATH");
    if (!a || !problem.empty()) return UsageError("dump", problem, io);
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
    auto a = ParseArgs(args, {.flags = true}, problem);
    if (a && a->json) problem = "unexpected argument --json";
    if (a && problem.empty()) problem = ImageCountProblem(*a, 2, "needs two images: A B");
    if (!a || !problem.empty()) return UsageError("diff", problem, io);
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
    const auto a = ParseArgs(args, {.output = true}, problem);
    if (a) problem = ImageCountProblem(*a, 1, "needs FILE.tbl (or --port PATH)");
    if (a && problem.empty() && !a->output) problem = "needs -o FILE.json";
    if (!a || !problem.empty()) return UsageError("export", problem, io);
    // Before a pager is read: its result would have nowhere to go.
    if (const int refused = CheckOutput(io.err, *a->output, a->force)) return refused;
    const std::optional<PagerImage> image = Load(a->sources[0], *a, io);
    if (!image) return kExitFailure;
    const std::string failure = SaveFileAtomically(*a->output, ExportJson(*image));
    if (!failure.empty()) {
        TellAboutFile(io.err, *a->output, failure);
        return kExitFailure;
    }
    return kExitOk;
}

// Import's account of what it left to the start image: one line each for the settings and the
// unnamed bytes, or every one of them with --verbose.
void TellNotGiven(const JsonImport& result, bool verbose, std::ostream& err) {
    if (verbose) {
        for (const std::string& name : result.settingsNotGiven) {
            err << "kpx41 import: " << name << " is not given: it keeps the start image's value\n";
        }
        for (const std::string& range : result.unnamedNotGiven) {
            err << "kpx41 import: unnamed bytes " << range
                << " are not given: they keep the start image's values\n";
        }
        return;
    }
    const std::size_t settings = result.settingsNotGiven.size();
    if (settings > 0) {
        err << "kpx41 import: " << settings << (settings == 1 ? " setting" : " settings")
            << " not given keep the start image's values; --verbose lists them\n";
    }
    const std::size_t ranges = result.unnamedNotGiven.size();
    if (ranges > 0) {
        err << "kpx41 import: " << ranges
            << (ranges == 1 ? " range of unnamed bytes" : " ranges of unnamed bytes")
            << " not given keep the start image's values; --verbose lists them\n";
    }
}

int RunImport(const std::vector<std::string>& args, CliIo& io) {
    std::string problem;
    const auto a = ParseArgs(args, {.output = true, .verbose = true}, problem);
    if (a) problem = ImageCountProblem(*a, 1, "needs FILE.json");
    if (a && problem.empty() && a->sources[0].IsPager()) {
        problem = "unexpected argument " + a->sources[0].given + " (import reads a JSON file)";
    }
    if (a && problem.empty() && !a->output) problem = "needs -o FILE.tbl";
    if (!a || !problem.empty()) return UsageError("import", problem, io);
    const std::string& path = a->sources[0].file;
    const std::string& output = *a->output;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        TellAboutFile(io.err, path, "cannot be read");
        return kExitFailure;
    }
    std::ostringstream text;
    text << in.rdbuf();
    const JsonImport result = ImportJson(text.str());
    if (!result.notJson.empty())
        TellAboutFile(io.err, path, "not a JSON file (" + result.notJson + ")");
    for (const std::string& e : result.errors) io.err << path << ":" << e << "\n";
    if (!result.image) {
        TellAboutFile(io.err, output, "nothing written");
        return kExitFailure;
    }
    TellNotGiven(result, a->verbose, io.err);
    for (const std::string& note : result.notes) io.err << "kpx41 import: " << note << "\n";
    if (!HasModelText(result.image->bytes())) {
        TellAboutFile(io.err, path,
                      "the image has no model text KPX41 at 0x3E1-0x3E5; nothing written");
        return kExitFailure;
    }
    // After the JSON's own problems, so that all of them are heard at once.
    if (const int refused = CheckOutput(io.err, output, a->force)) return refused;
    const std::string failure = SaveTableFile(output, *result.image);
    if (!failure.empty()) {
        TellAboutFile(io.err, output, failure);
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
                                "FILE.json [--force]",
                                "the image as JSON: named settings and unnamed bytes", RunExport};

const CliCommand kImportCommand{
    "import", "import FILE.json -o FILE.tbl [--force] [--verbose]",
    "a table file from JSON, with the window's checks; omitted settings keep the start image's "
    "values (--verbose names them)",
    RunImport};

}  // namespace kpx::cli
