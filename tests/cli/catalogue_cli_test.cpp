#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "catalogue/field_catalogue.h"
#include "catalogue/startup_image.h"
#include "cli/catalogue_json.h"
#include "cli/cli_app.h"
#include "image/charmap.h"
#include "image/default_image.h"
#include "image/field_tags.h"
#include "image/table_file.h"
#include "settings/capcode.h"
#include "settings/panel_fields.h"
#include "sim/board_simulator.h"
#include "testsupport/cli_run.h"
#include "testsupport/fakes.h"
#include "texts/prompt_text.h"

namespace kpx::cli {
namespace {

using kpx::testing::TempDir;

using testing::Board;
using testing::Kpx41;
using testing::Result;

PagerImage Startup() {
    return BuildStartupImage(DefaultProgramSettings());
}

std::string Save(const TempDir& dir, const std::string& name, const PagerImage& image) {
    const std::string path = dir.File(name);
    EXPECT_EQ(SaveTableFile(path, image), "");
    return path;
}

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

TEST(CatalogueCli, DumpOfTheStartupImageShowsEveryPageAsTheWindowDoes) {
    TempDir dir;
    const Result r = Kpx41({"dump", Save(dir, "start.tbl", Startup())});
    ASSERT_EQ(r.code, 0) << r.err;
    const std::vector<std::string> lines = Lines(r.out);
    // A sample of every page, in page order, as hand-read from the start-up window.
    const std::vector<std::string> expected = {
        "Code and Features",
        "  Range Of Frequency: 130-180MHz",
        "  Channel: 5KHz",
        "  Frequency Of Pager: 15300000",
        "  Cap #1: 1234567",
        "  Cap #1 ON: on",
        "  Cap #2 ON: off",
        "  Capcode 6 Display: Alpha",
        "Alerts and Status",
        "  Menu Of Pager: (none)",
        "  Tone: Tone 1",
        "  Disp Source Addr ON: on",
        "  Push Key Lamp On Enable: off",
        "  POCSAG Signal Baud Rate: 1200 bps",
        "  Reminder Duration: 2 minutes",
        "  Sequential Lockout: disable",
        "  Battery Gauge Level-Low: 1.19V",
        "  Password: ****",
        "  Read Msg. Password: ****",
        "  Drop 1 History: 9",
        "  Drop E Memory: 0.5KB",
        "  Logo Font: English(Large)",
        "  Power Up Logo: \"     ZENTRA\"",
        "  Screen Contrast: 4",
        "Prompts Edit",
        "  Prompt 1 (NO PAGES): \"    NO PAGES\"",
        "  Prompt 18 (DELETE ALL ?): \"  DELETE ALL ?\"",
        "  Prompt 32 (FLASH ONLY): \"   FLASH ONLY\"",
    };
    std::size_t at = 0;
    for (const std::string& want : expected) {
        while (at < lines.size() && lines[at] != want) ++at;
        ASSERT_LT(at, lines.size()) << "missing or out of order: " << want;
    }
    EXPECT_EQ(lines.size(), 3 + FieldCatalogue().size());

    const Result shown =
        Kpx41({"dump", "--show-passwords", "--json", Save(dir, "start.tbl", Startup())});
    EXPECT_NE(shown.out.find("\"Password\": \"0000\""), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("\"Read Msg. Password\": \"1234\""), std::string::npos);
    EXPECT_NE(Kpx41({"dump", "--json", dir.File("start.tbl")}).out.find("\"Password\": \"****\""),
              std::string::npos);
}

TEST(CatalogueCli, DumpJsonHoldsTheSameFieldsAndTextsInUtf8) {
    TempDir dir;
    PagerImage image = Startup();
    image.SetBits(0x3A, 0, 8, 4);
    testing::RecordingDialogs said;
    ASSERT_TRUE(StorePromptText(image, 0x128,
                                "\xDC"
                                "BER",
                                said));
    const Result r = Kpx41({"dump", "--json", Save(dir, "de.tbl", image)});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("\"Prompt 2 (UP OR ESCAPE)\": \"ÜBER\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"Cap #1 ON\": true"), std::string::npos);
    EXPECT_NE(r.out.find("\"Screen Contrast\": 4"), std::string::npos);
    EXPECT_EQ(r.out.find(kJsonUnnamedKey), std::string::npos);
}

TEST(CatalogueCli, DiffPrintsOneLinePerChangedFieldAndExitsByTheOutcome) {
    TempDir dir;
    const PagerImage base = Startup();
    const std::string a = Save(dir, "a.tbl", base);
    const struct {
        const char* kind;
        std::function<void(PagerImage&)> edit;
        std::string out;
    } cases[] = {
        {"bit", [](PagerImage& i) { WriteCheckBox(i, *CheckBoxTag(17), true); },
         "Push Key Lamp On Enable: off -> on\n"},
        {"list", [](PagerImage& i) { WriteToneRow(i, 4); }, "Tone: Tone 1 -> Vibration\n"},
        {"number", [](PagerImage& i) { WriteContrast(i, 0); }, "Screen Contrast: 4 -> 0\n"},
        {"digits", [](PagerImage& i) { StoreCapcode(i, 2, 1234568); },
         "Cap #3: 1234561 -> 1234568\n"},
        {"prompt",
         [](PagerImage& i) {
             testing::RecordingDialogs said;
             StorePromptText(i, 0x3C4, "CHIRP AUS", said);
         },
         "Prompt 30 (CHIRP OFF): \"      CHIRP OFF\" -> \"CHIRP AUS\"\n"},
        {"unnamed byte", [](PagerImage& i) { i.set(0x3F0, 'Q'); }, "0x3F0: 5A -> 51\n"},
    };
    for (const auto& c : cases) {
        PagerImage changed = base;
        c.edit(changed);
        const Result r = Kpx41({"diff", a, Save(dir, "b.tbl", changed)});
        EXPECT_EQ(r.code, 1) << c.kind << r.err;
        EXPECT_EQ(r.out, c.out) << c.kind;
    }
    const Result same = Kpx41({"diff", a, a});
    EXPECT_EQ(same.code, 0);
    EXPECT_EQ(same.out, "");

    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"diff", a},
                                               {"diff", a, a, a},
                                               {"diff", "--json", a, a},
                                               {"diff", a, "--port"},
                                               {"diff", a, dir.File("no.tbl")}}) {
        EXPECT_EQ(Kpx41(args).code, 2) << args.back();
    }
}

TEST(CatalogueCli, ExportThenImportGivesBackTheExactBytesOfAnyImage) {
    std::mt19937 rng(1208);
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<PagerImage> images = {Startup(), PagerImage{}};
    for (int i = 0; i < 150; ++i) {
        PagerImage image;
        for (auto& b : image.bytes()) b = static_cast<std::uint8_t>(byte(rng));
        images.push_back(image);
    }
    for (const PagerImage& image : images) {
        const JsonImport back = ImportJson(ExportJson(image));
        ASSERT_TRUE(back.errors.empty()) << back.errors.front();
        ASSERT_TRUE(back.image.has_value());
        ASSERT_EQ(*back.image, image);
    }
    EXPECT_TRUE(ImportJson(ExportJson(Startup())).notes.empty());

    // Through the files, as a user runs it (a table file carries the model text).
    TempDir dir;
    for (int i = 0; i < 5; ++i) images.back().set(0x3E1 + i, static_cast<std::uint8_t>("KPX41"[i]));
    const std::string tbl = Save(dir, "r.tbl", images.back());
    ASSERT_EQ(Kpx41({"export", tbl, "-o", dir.File("r.json")}).code, 0);
    const Result imported = Kpx41({"import", dir.File("r.json"), "-o", dir.File("back.tbl")});
    ASSERT_EQ(imported.code, 0) << imported.err;
    EXPECT_EQ(LoadTableFile(dir.File("back.tbl")).bytes, images.back().bytes());
}

TEST(CatalogueCli, ImportRefusesBadValuesNamingTheFieldAndItsLine) {
    const struct {
        const char* body;
        const char* error;
    } cases[] = {
        {"{\n  \"Code and Features\": {\n    \"Cap #2\": \"2097152\"\n  }\n}",
         "3: Cap #2: Please insert a number between 0000007 to 2097151"},
        {"{\n  \"Code and Features\": {\n    \"Bandwidth\": \"XB\"\n  }\n}",
         "3: Bandwidth: expects one of \"NB\", \"WB\""},
        {"{\n  \"Alerts and Status\": {\n\n    \"Screen Contrast\": 12\n  }\n}",
         "4: Screen Contrast: expects a number from 0 to 8"},
        {"{\n  \"Alerts and Status\": {\n    \"Cap #2\": \"1234567\"\n  }\n}",
         "3: unknown field \"Cap #2\" on the page \"Alerts and Status\""},
        {"{\n  \"Alerts and Status\": {\n    \"Volume\": 3\n  }\n}",
         "3: unknown field \"Volume\" on the page \"Alerts and Status\""},
        {"{\n  \"Settings\": {}\n}", "2: unknown page \"Settings\""},
        {"{\n  \"Prompts Edit\": {\n    \"Prompt 3 (MESSAGE LOCK)\": \"ẞ\"\n  }\n}",
         "3: Prompt 3 (MESSAGE LOCK): holds characters outside Windows-1252"},
        {"{\n  \"unnamed bytes\": {\n    \"0x041\": \"60\"\n  }\n}",
         "3: unnamed bytes 0x041: 0x041 belongs to a named field"},
        {"{\n  \"Code and Features\": {\n    \"Cap #1\": \"7\",\n    \"Cap #1\": \"8\"\n  }\n}",
         "4: \"Cap #1\" given twice"},
    };
    TempDir dir;
    const std::string out = Save(dir, "keep.tbl", Startup());
    for (const auto& c : cases) {
        const JsonImport r = ImportJson(c.body);
        ASSERT_FALSE(r.errors.empty()) << c.body;
        EXPECT_EQ(r.errors[0].rfind(c.error, 0), 0u) << r.errors[0];
        EXPECT_FALSE(r.image.has_value());

        const Result run = Kpx41({"import", WriteText(dir, "bad.json", c.body), "-o", out});
        EXPECT_EQ(run.code, 1);
        EXPECT_EQ(run.err.rfind(dir.File("bad.json") + ":" + c.error, 0), 0u) << run.err;
        EXPECT_NE(run.err.find("nothing written"), std::string::npos);
    }
    EXPECT_EQ(LoadTableFile(out).bytes, Startup().bytes());  // never half-built

    // Without the model text no table file comes out of it.
    const Result noModel =
        Kpx41({"import", WriteText(dir, "nomodel.json", "{\"unnamed bytes\": {\"0x3E1\": \"00\"}}"),
               "-o", out});
    EXPECT_EQ(noModel.code, 1);
    EXPECT_NE(noModel.err.find(dir.File("nomodel.json") +
                               ": the image has no model text KPX41 at 0x3E1-0x3E5; "
                               "nothing written"),
              std::string::npos)
        << noModel.err;
    EXPECT_EQ(LoadTableFile(out).bytes, Startup().bytes());
}

TEST(CatalogueCli, ImportSaysWhatItLeftAtTheDefaults) {
    TempDir dir;
    const std::string json = WriteText(
        dir, "few.json",
        "{\"Code and Features\": {\"Cap #1\": \"0000042\", \"Frequency Of Pager\": \"15300500\"},\n"
        " \"unnamed bytes\": {\"0x3F0-0x3F7\": \"5A 58 2D 35 30 38 4F 4B\"}}");
    const Result r = Kpx41({"import", json, "-o", dir.File("few.tbl"), "--verbose"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.err.find("kpx41 import: Cap #2 is not given: it keeps the start image's value\n"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(r.err.find("Cap #1 is not given"), std::string::npos);
    EXPECT_NE(r.err.find("unnamed bytes 0x3D8-0x3EF are not given"), std::string::npos) << r.err;

    PagerImage expected = Startup();
    StoreCapcode(expected, 0, 42);
    expected.set(0x3F5, '8');
    const TableFileLoad load = LoadTableFile(dir.File("few.tbl"));
    ASSERT_EQ(load.status, TableFileStatus::Ok);
    const Result diff = Kpx41({"diff", Save(dir, "expected.tbl", expected), dir.File("few.tbl")});
    EXPECT_EQ(diff.out, "Frequency Of Pager: 15300000 -> 15300500\n");
}

// The window warns when a battery pick leaves the levels out of order, and keeps the value;
// import says the same and writes the file.
TEST(CatalogueCli, ImportWarnsAsTheWindowDoesAboutTheBatteryLevels) {
    const struct {
        const char* levels;
        bool warned;
    } cases[] = {
        {"\"Battery Gauge Level-Low\": \"1.58V\"", true},
        {"\"Battery Gauge Level-High\": \"1.00V\", \"Battery Gauge Level-Med\": \"1.05V\"", true},
        {"\"Battery Gauge Level-Low\": \"1.00V\"", false},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.levels);
        const std::string json =
            WriteText(dir, "bat.json", std::string("{\"Alerts and Status\": {") + c.levels + "}}");
        const Result r = Kpx41({"import", json, "-o", dir.File("bat.tbl"), "--force"});
        ASSERT_EQ(r.code, 0) << r.err;
        const std::string warning =
            "kpx41 import: Waring ! You must let ( Level-High > Level-Med > Level-Low ).\n";
        EXPECT_EQ(r.err.find(warning) != std::string::npos, c.warned) << r.err;
    }
}

TEST(CatalogueCli, TheSchemaInDocsIsTheCataloguesOwn) {
    EXPECT_TRUE(testing::ReadFile(std::string(KPX41_SOURCE_DIR) + "/docs/image.schema.json") ==
                SchemaJson())
        << "regenerate it: build/bin/kpx41 export --schema > docs/image.schema.json";
}

// The pager holds the file, encoded, but for two settings changed behind our back.
TEST(CatalogueCli, VerifyAndDiffAgainstTheBoardListTheSettingsThatDiffer) {
    TempDir dir;
    PagerImage image = Startup();
    image.SetBits(0x3A, 0, 8, 4);  // German texts: the pager holds them in its own characters
    testing::RecordingDialogs said;
    ASSERT_TRUE(StorePromptText(image, 0x114,
                                "GR\xDC"
                                "SSE",
                                said));
    const std::string file = Save(dir, "p.tbl", image);

    PagerImage onPager = image;
    StoreCapcode(onPager, 2, 1234568);
    ASSERT_TRUE(StorePromptText(onPager, 0x114,
                                "GR\xDC"
                                "SS",
                                said));
    EncodeTextRegions(onPager);
    Board board;
    sim::BoardMemory memory{};
    std::copy(onPager.bytes().begin(), onPager.bytes().end(), memory.begin());
    board.simulator.SetMemory(memory);

    const Result v = Kpx41({"verify", "--port", board.path(), file});
    EXPECT_EQ(v.code, 1);
    EXPECT_EQ(v.err,
              "Verify Error!\n"
              "the pager differs from " +
                  file +
                  " (file -> pager):\n"
                  "  Cap #3: 1234561 -> 1234568\n"
                  "  Prompt 1 (NO PAGES): \"GRÜSSE\" -> \"GRÜSS\"\n");

    const Result d = Kpx41({"diff", file, "--port", board.path()});
    EXPECT_EQ(d.code, 1) << d.err;
    EXPECT_EQ(d.out, "Cap #3: 1234561 -> 1234568\nPrompt 1 (NO PAGES): \"GRÜSSE\" -> \"GRÜSS\"\n");
}

}  // namespace
}  // namespace kpx::cli
