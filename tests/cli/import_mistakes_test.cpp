// import in plain words: a file that is not JSON, a document that is not the image's form, and
// what it left to the start image, each said once and naming the line.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "catalogue/field_catalogue.h"
#include "catalogue/startup_image.h"
#include "cli/catalogue_json.h"
#include "image/default_image.h"
#include "testsupport/cli_run.h"
#include "testsupport/fakes.h"

namespace kpx::cli {
namespace {

namespace fs = std::filesystem;
using kpx::testing::TempDir;
using testing::Kpx41;
using testing::Result;

std::string WriteText(const TempDir& dir, const std::string& name, const std::string& text) {
    const std::string path = dir.File(name);
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(ImportMistakes, AFileThatIsNotJsonIsSaidSoWithWhereAndWhat) {
    const struct {
        const char* text;
        const char* said;
    } cases[] = {
        {"hello", "line 1, column 1: expected a value, found h"},
        {"{\n  \"Code and Features\": {\n    \"Cap #1\": \"7\",\n  }\n}",
         "line 4, column 3: expected a name in double quotes, found '}'"},
        {"{\n  \"Code and Features\" {}\n}", "line 2, column 23: expected ':', found '{'"},
        {"{\"Code and Features\": {\"Cap #1\": \"7\"}",
         "line 1, column 38: expected '}', found the end of the file"},
        {"", "line 1, column 1: expected a value, found the end of the file"},
        {"{\"a\": \"no end\n}", "line 1, column 14: expected a value, found a broken text"},
        {"[1, -]", "line 1, column 6: expected a value, found a broken number"},
        {"KPX41\x01\x02", "line 1, column 1: expected a value, found K"},
        // A whole value where the grammar wants something else is named by its kind.
        {"[1 2]", "line 1, column 4: expected ']', found a number"},
        {"{\"a\": 12\n  \"b\": 1}", "line 2, column 5: expected '}', found a text"},
        {"{\"a\" \"b\"}", "line 1, column 8: expected ':', found a text"},
        {"{\"a\": 1, true}", "line 1, column 13: expected a name in double quotes, found true"},
        {"{\"a\": ]", "line 1, column 7: expected a value, found ']'"},
        {"{\"a\": 1}\n}", "line 2, column 1: expected the end of the file, found '}'"},
    };
    TempDir dir;
    const std::string out = dir.File("out.tbl");
    for (const auto& c : cases) {
        const JsonImport r = ImportJson(c.text);
        EXPECT_FALSE(r.image.has_value());
        EXPECT_EQ(r.notJson.rfind(c.said, 0), 0u) << c.text << "\n" << r.notJson;

        const std::string json = WriteText(dir, "bad.json", c.text);
        const Result run = Kpx41({"import", json, "-o", out});
        EXPECT_EQ(run.code, 1);
        const auto lines = Lines(run.err);
        ASSERT_EQ(lines.size(), 2u) << run.err;
        EXPECT_EQ(lines[0], json + ": not a JSON file (" + r.notJson + ")");
        EXPECT_EQ(lines[1], out + ": nothing written");
        EXPECT_EQ(run.err.find("json.exception"), std::string::npos) << run.err;
        EXPECT_FALSE(fs::exists(out));
    }
}

// Well-formed JSON that is not an image's form is refused at the line that says it.
TEST(ImportMistakes, RefusalsOfTheFormNameTheirLineAndWriteNothing) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"\n[\n  1\n]\n", "2: expects an object of pages, not a list"},
        {"\n\n\"Code and Features\"", "3: expects an object of pages, not a text"},
        {"\n\n5\n", "3: expects an object of pages, not a number"},
        {"{\n  \"Prompts Edit\": {\n    \"Prompt 3 (MESSAGE LOCK)\": "
         "{\"blanks\": 0, \"text\": \"LOCK\", \"unused\": \"  \"}\n  }\n}",
         "3: Prompt 3 (MESSAGE LOCK): text and unused bytes must make 18 bytes"},
        {"{\n  \"Code and Features\": {\n\n    \"Cap #1\": {\"raw\": \"12 34\"}\n  }\n}",
         "4: Cap #1: raw holds 2 bytes; the field has 3"},
        {"{\n  \"unnamed bytes\": {\n    \"0x3D8-0x3DB\": \"FF FF FF FF\",\n"
         "    \"0x3DA-0x3DC\": \"FF FF FF\"\n  }\n}",
         "4: unnamed bytes 0x3DA-0x3DC overlap 0x3D8-0x3DB"},
    };
    TempDir dir;
    const std::string out = dir.File("out.tbl");
    for (const auto& c : cases) {
        const JsonImport r = ImportJson(c.text);
        ASSERT_FALSE(r.errors.empty()) << c.text;
        EXPECT_EQ(r.errors[0].rfind(c.error, 0), 0u) << r.errors[0];
        EXPECT_FALSE(r.image.has_value());

        const std::string json = WriteText(dir, "bad.json", c.text);
        const Result run = Kpx41({"import", json, "-o", out});
        EXPECT_EQ(run.code, 1);
        EXPECT_EQ(run.err.rfind(json + ":" + c.error, 0), 0u) << run.err;
        EXPECT_FALSE(fs::exists(out));
    }
}

// A few settings given: the rest are summed up in one line; --verbose names each.
TEST(ImportMistakes, SettingsLeftOutAreSummedUpInOneLine) {
    TempDir dir;
    const std::string json =
        WriteText(dir, "few.json", "{\"Code and Features\": {\"Cap #1\": \"0000042\"}}");
    const Result r = Kpx41({"import", json, "-o", dir.File("few.tbl")});
    ASSERT_EQ(r.code, 0) << r.err;
    const std::size_t left = FieldCatalogue().size() - 1;
    const std::vector<std::string> lines = Lines(r.err);
    ASSERT_EQ(lines.size(), 2u) << r.err;
    EXPECT_EQ(lines[0], "kpx41 import: " + std::to_string(left) +
                            " settings not given keep the start image's values; --verbose lists "
                            "them");
    EXPECT_EQ(lines[1].rfind("kpx41 import: ", 0), 0u);
    EXPECT_NE(lines[1].find(" of unnamed bytes not given keep the start image's values; --verbose "
                            "lists them"),
              std::string::npos)
        << lines[1];

    const Result verbose =
        Kpx41({"import", json, "-o", dir.File("few.tbl"), "--force", "--verbose"});
    ASSERT_EQ(verbose.code, 0) << verbose.err;
    EXPECT_NE(
        verbose.err.find("kpx41 import: Cap #2 is not given: it keeps the start image's value\n"),
        std::string::npos);
    EXPECT_EQ(verbose.err.find("Cap #1 is not given"), std::string::npos);
    EXPECT_NE(verbose.err.find("kpx41 import: unnamed bytes 0x3D8-0x3F7 are not given"),
              std::string::npos)
        << verbose.err;
    EXPECT_GE(Lines(verbose.err).size(), left);
}

}  // namespace
}  // namespace kpx::cli
