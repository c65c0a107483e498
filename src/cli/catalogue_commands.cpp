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

// One argument into a: an image source (a FILE, --port PATH, --lpt [PATH]) or a flag.
void Take(const ParsedArg& arg, Arguments& a, CliIo& io) {
    const std::string_view option = arg.option ? arg.option->name : "";
    if (!arg.option || option == "--port" || option == "--lpt") {
        ImageSource source;
        source.given = arg.option ? arg.text + (arg.value ? " " + *arg.value : "") : arg.text;
        if (!arg.option) source.file = arg.text;
        if (option == "--port") source.pager.port = arg.value;
        if (option == "--lpt") source.pager.lptPath = arg.value;
        source.pager.lpt = option == "--lpt";
        a.sources.push_back(source);
    }
    if (option == "--trace") a.trace = arg.value;
    if (option == "--output") a.output = arg.value;
    a.noBackup = a.noBackup || option == "--no-backup";
    a.json = a.json || option == "--json";
    a.showPasswords = a.showPasswords || option == "--show-passwords";
    a.force = a.force || option == "--force";
    a.verbose = a.verbose || option == "--verbose";
    io.quiet = io.quiet || option == "--quiet";
}

// The images and flags of a command by its option table; nothing (told) on a usage error.
std::optional<Arguments> ParseArgs(std::string_view name, const std::vector<std::string>& args,
                                   CliIo& io) {
    const auto parsed = ParseCommand(name, args, io);
    if (!parsed) return std::nullopt;
    Arguments a;
    for (const ParsedArg& arg : *parsed) Take(arg, a, io);
    const bool pager = std::any_of(a.sources.begin(), a.sources.end(),
                                   [](const ImageSource& s) { return s.IsPager(); });
    if ((a.trace || a.noBackup) && !pager) {
        UsageError(name, "--trace and --no-backup go with a pager read (--port or --lpt)", io);
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
    const TableFileLoad load = LoadTable(source.file, Input(io));
    if (load.status != TableFileStatus::Ok) {
        TellTableFileProblem(io.err, source.file == kStdio ? kStandardInput : source.file, load);
        return std::nullopt;
    }
    return PagerImage(load.bytes);
}

void PrintUtf8(std::ostream& out, const std::string& cp1252Line) {
    out << Cp1252ToUtf8(cp1252Line) << "\n";
}

int RunDump(const std::vector<std::string>& args, CliIo& io) {
    const auto a = ParseArgs("dump", args, io);
    if (!a) return kExitUsage;
    const std::string problem = ImageCountProblem(*a, 1, "needs a FILE or --port PATH");
    if (!problem.empty()) return UsageError("dump", problem, io);
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
    const auto a = ParseArgs("diff", args, io);
    if (!a) return kExitUsage;
    const std::string problem = ImageCountProblem(*a, 2, "needs two images: A B");
    if (!problem.empty()) return UsageError("diff", problem, io);
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
    const auto a = ParseArgs("export", args, io);
    if (!a) return kExitUsage;
    std::string problem = ImageCountProblem(*a, 1, "needs FILE.tbl (or --port PATH)");
    if (problem.empty() && !a->output) problem = "needs -o FILE.json";
    if (!problem.empty()) return UsageError("export", problem, io);
    if (*a->output == kStdio) {
        const std::optional<PagerImage> image = Load(a->sources[0], *a, io);
        if (image) io.out << ExportJson(*image);
        return image ? kExitOk : kExitFailure;
    }
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
    const auto a = ParseArgs("import", args, io);
    if (!a) return kExitUsage;
    std::string problem = ImageCountProblem(*a, 1, "needs FILE.json");
    if (problem.empty() && a->sources[0].IsPager()) {
        problem = "unexpected argument " + a->sources[0].given + " (import reads a JSON file)";
    }
    if (problem.empty() && !a->output) problem = "needs -o FILE.tbl";
    if (!problem.empty()) return UsageError("import", problem, io);
    const bool fromStdin = a->sources[0].file == kStdio;
    const std::string path = fromStdin ? kStandardInput : a->sources[0].file;
    const std::string& output = *a->output;
    std::ifstream file;
    if (!fromStdin) file.open(path, std::ios::binary);
    if (!fromStdin && !file) {
        TellAboutFile(io.err, path, "cannot be read");
        return kExitFailure;
    }
    std::ostringstream text;
    text << (fromStdin ? Input(io) : file).rdbuf();
    const JsonImport result = ImportJson(text.str());
    if (!result.notJson.empty())
        TellAboutFile(io.err, path, "not a JSON file (" + result.notJson + ")");
    for (const std::string& e : result.errors) io.err << path << ":" << e << "\n";
    if (!result.image) {
        TellAboutFile(io.err, output, "nothing written");
        return kExitFailure;
    }
    if (!io.quiet) {
        TellNotGiven(result, a->verbose, io.err);
        for (const std::string& note : result.notes) io.err << "kpx41 import: " << note << "\n";
    }
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

constexpr CliOption kShowPasswords{"--show-passwords", "", "",
                                   "show the passwords instead of masking them"};

const CliCommand kDumpCommand{
    "dump", "dump [--json] [--show-passwords] (FILE | --port PATH [--trace FILE] [--no-backup])",
    "every named setting, page by page, as \"name: value\" (passwords masked; FILE - reads "
    "standard input)",
    RunDump,
    {kJsonOption, kShowPasswords, kPortOption, kLptOption, kTraceOption, kNoBackupOption}};

const CliCommand kDiffCommand{
    "diff",
    "diff [--show-passwords] (A | --port PATH) (B | --port PATH) [--trace FILE] [--no-backup]",
    "the settings that differ, then the unnamed bytes; exit 0 equal, 1 different, 2 trouble",
    RunDiff,
    {kShowPasswords, kPortOption, kLptOption, kTraceOption, kNoBackupOption}};

const CliCommand kExportCommand{
    "export",
    "export (FILE.tbl | --port PATH [--trace FILE] [--no-backup]) -o FILE.json [--force]",
    "the image as JSON: named settings and unnamed bytes (-o - writes standard output)",
    RunExport,
    {kOutputOption, kForceOption, kPortOption, kLptOption, kTraceOption, kNoBackupOption,
     {"--schema", "", "", "print the JSON schema of the export (alone)"}}};

const CliCommand kImportCommand{
    "import", "import FILE.json -o FILE.tbl [--force] [--verbose] [--quiet]",
    "a table file from JSON (- reads standard input), with the window's checks; omitted settings "
    "keep the start image's values (--verbose names them)",
    RunImport,
    {kOutputOption, kForceOption, {"--verbose", "-v", "", "name every setting not given"},
     kQuietOption}};

}  // namespace kpx::cli
