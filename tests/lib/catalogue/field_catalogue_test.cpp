#include "catalogue/field_catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <set>
#include <string>

#include "catalogue/image_import.h"
#include "catalogue/startup_image.h"
#include "image/default_image.h"
#include "image/field_tags.h"
#include "settings/bands.h"
#include "settings/capcode.h"
#include "settings/frequency.h"
#include "settings/panel_fields.h"
#include "settings/password.h"
#include "testsupport/fakes.h"
#include "texts/allocation.h"
#include "texts/prompt_slots.h"
#include "texts/prompt_text.h"

namespace kpx {
namespace {

PagerImage Startup() {
    return BuildStartupImage(DefaultProgramSettings());
}

PagerImage RandomImage(std::mt19937& rng) {
    PagerImage image;
    std::uniform_int_distribution<int> byte(0, 255);
    for (auto& b : image.bytes()) b = static_cast<std::uint8_t>(byte(rng));
    return image;
}

const FieldValue& ValueOf(const std::vector<FieldReading>& readings, std::string_view name) {
    for (const FieldReading& r : readings) {
        if (r.field->name == name) return r.value;
    }
    throw std::out_of_range(std::string(name));
}

TEST(FieldCatalogue, EveryBitOfTheImageIsNamedOnceOrUnnamed) {
    std::array<std::uint8_t, kImageSize> named{};
    std::set<std::string> names;
    for (const CatalogueField& f : FieldCatalogue()) {
        EXPECT_TRUE(names.insert(f.name).second) << "two fields named " << f.name;
        EXPECT_FALSE(f.bits.empty()) << f.name;
        for (const BitSpan& s : f.bits) {
            EXPECT_EQ(named[static_cast<std::size_t>(s.address)] & s.mask, 0)
                << f.name << " overlaps another field at " << RunName(s.address, s.address);
            named[static_cast<std::size_t>(s.address)] |= s.mask;
        }
    }
    EXPECT_EQ(named, NamedMasks());

    // The unnamed runs of an image hold exactly the remaining bits of all 1024 bytes.
    std::array<std::uint8_t, kImageSize> unnamed{};
    for (const UnnamedRun& run : UnnamedOf(Startup())) {
        for (int a = run.first; a <= run.last; ++a) {
            const std::uint8_t m = run.mask == 0xFF ? 0xFF : run.mask;
            EXPECT_EQ(unnamed[static_cast<std::size_t>(a)], 0) << RunName(a, a);
            unnamed[static_cast<std::size_t>(a)] = m;
        }
        EXPECT_TRUE(CheckUnnamedRun(run).empty()) << RunName(run.first, run.last);
    }
    for (int a = 0; a < kImageSize; ++a) {
        const auto i = static_cast<std::size_t>(a);
        EXPECT_EQ(named[i] & unnamed[i], 0) << RunName(a, a);
        EXPECT_EQ(named[i] | unnamed[i], 0xFF) << RunName(a, a);
    }
}

TEST(FieldCatalogue, StartupImageReadsAsTheWindowShowsIt) {
    const std::vector<FieldReading> readings = ReadFields(Startup());
    for (const FieldReading& r : readings) {
        EXPECT_FALSE(std::holds_alternative<RawBits>(r.value)) << r.field->name << " is raw";
    }
    const struct {
        const char* name;
        const char* text;
    } expected[] = {
        {"Range Of Frequency", "130-180MHz"},
        {"Channel", "5KHz"},
        {"Frequency Of Pager", "15300000"},
        {"Bandwidth", "WB"},
        {"Frequency Modification Enable", "on"},
        {"Cap #1", "1234567"},
        {"Cap #1 ON", "on"},
        {"Cap #6", "1234564"},
        {"Cap #6 ON", "off"},
        {"Capcode 5 Display", "Alpha"},
        {"Capcode 6 Priority", "off"},
        {"Menu Of Pager", "(none)"},
        {"Tone", "Tone 1"},
        {"POCSAG Signal Baud Rate", "1200 bps"},
        {"Read Time Out", "12 sec"},
        {"Reminder Duration", "2 minutes"},
        {"Date Display Method", "mm-dd-yy"},
        {"Password Modification Enable", "on"},
        {"Discard Error Msg", "off"},
        {"Logo Font", "English(Large)"},
        {"Power Up Logo", "\"     ZENTRA\""},
        {"Screen Contrast", "4"},
        {"Prompt 1 (NO PAGES)", "\"    NO PAGES\""},
        {"Prompt 29 (CHIRP ON)", "\"      CHIRP ON\""},
        {"Prompt 31 (READ PASSWORD)", "\"    READ PASSWORD\""},
    };
    for (const auto& e : expected) {
        const CatalogueField* f = FindField(e.name);
        ASSERT_NE(f, nullptr) << e.name;
        EXPECT_EQ(ValueText(*f, ValueOf(readings, e.name)), e.text) << e.name;
    }
}

// Every language's built-in texts read back as texts, not raw bytes.
TEST(FieldCatalogue, ALanguageChosenInTheWindowReadsBackAsTheLanguageAndItsTexts) {
    for (int row = 0; row < kLanguageRows; ++row) {
        PagerImage image = Startup();
        ASSERT_TRUE(SelectPromptLanguage(image, row));
        const std::vector<FieldReading> readings = ReadFields(image);
        EXPECT_EQ(std::get<std::string>(ValueOf(readings, "Language")), kLanguageItems[row]);
        for (const FieldReading& r : readings) {
            EXPECT_FALSE(std::holds_alternative<RawBits>(r.value))
                << kLanguageItems[row] << ": " << r.field->name;
        }
        const ImageBuild build = BuildImage(readings, UnnamedOf(image));
        EXPECT_EQ(build.image, image) << kLanguageItems[row];
    }
}

TEST(FieldCatalogue, ReadThenBuildGivesBackEveryImageExactly) {
    std::mt19937 rng(20261208);
    std::vector<PagerImage> images = {Startup(), PagerImage{}};
    for (int i = 0; i < 300; ++i) images.push_back(RandomImage(rng));
    // Images close to real ones: the start-up image with a few bytes scrambled.
    for (int i = 0; i < 300; ++i) {
        PagerImage image = Startup();
        std::uniform_int_distribution<int> address(0, kImageLast), byte(0, 255);
        for (int k = 0; k < 1 + i % 5; ++k) {
            image.set(address(rng), static_cast<std::uint8_t>(byte(rng)));
        }
        images.push_back(image);
    }
    for (const PagerImage& image : images) {
        const ImageBuild build = BuildImage(ReadFields(image), UnnamedOf(image));
        EXPECT_TRUE(build.errors.empty());
        ASSERT_EQ(build.image, image) << DiffLines(DiffImages(image, build.image)).front();
    }
}

// Each case edits one field the way the window does and expects one diff line.
TEST(FieldCatalogue, DiffNamesTheChangedFieldOfEachKind) {
    const struct {
        const char* kind;
        std::function<void(PagerImage&)> edit;
        std::vector<std::string> lines;
    } cases[] = {
        {"bit",
         [](PagerImage& i) { WriteCheckBox(i, *CheckBoxTag(19), true); },
         {"Air Program Enable: off -> on"}},
        {"list",
         [](PagerImage& i) { WriteListRow(i, *ListTag(5), 1); },
         {"Polarity: Normal -> Invert"}},
        {"number", [](PagerImage& i) { WriteContrast(i, 7); }, {"Screen Contrast: 4 -> 7"}},
        {"digits",
         [](PagerImage& i) { StoreCapcode(i, 2, 1234568); },
         {"Cap #3: 1234561 -> 1234568"}},
        {"frequency",
         [](PagerImage& i) {
             testing::RecordingDialogs said;
             FrequencyState st{kBandRow130, 2, 5.0f, 0, 0, -1};
             EnterFrequency(i, st, "15300500", said);
         },
         {"Frequency Of Pager: 15300000 -> 15300500"}},
        {"prompt",
         [](PagerImage& i) {
             testing::RecordingDialogs said;
             StorePromptText(i, 0x114, "NO MAIL", said);
         },
         {"Prompt 1 (NO PAGES): \"    NO PAGES\" -> \"NO MAIL\""}},
        {"menu",
         [](PagerImage& i) {
             PagerMenuDisabled d{};
             d[1] = d[6] = true;
             WritePagerMenu(i, d);
         },
         {"Menu Of Pager: (none) -> Pager Off Disable, Zoom In Disable"}},
        {"raw", [](PagerImage& i) { StoreCapcode(i, 5, 3); }, {"Cap #6: 1234564 -> raw 00 00 03"}},
        {"the bytes a writer sets with its field",
         [](PagerImage& i) { WriteListRow(i, *ListTag(9), 0); },
         {"POCSAG Signal Baud Rate: 1200 bps -> 2400 bps"}},
        {"secret digits",
         [](PagerImage& i) {
             testing::RecordingDialogs said;
             PasswordKeyUp(i, 0, "4711", said);
         },
         {"Password: **** -> ****"}},
        {"unnamed byte", [](PagerImage& i) { i.set(0x3F1, 0x00); }, {"0x3F1: 58 -> 00"}},
    };
    for (const auto& c : cases) {
        const PagerImage before = Startup();
        PagerImage after = before;
        c.edit(after);
        const ImageDiff diff = DiffImages(before, after, false);
        EXPECT_EQ(DiffLines(diff), c.lines) << c.kind;
        // Back the other way: the same field, its two values swapped.
        std::vector<std::string> back;
        for (const std::string& line : c.lines) {
            const auto name = line.find(": ");
            const auto arrow = line.find(" -> ", name);
            back.push_back(line.substr(0, name + 2) + line.substr(arrow + 4) + " -> " +
                           line.substr(name + 2, arrow - name - 2));
        }
        EXPECT_EQ(DiffLines(DiffImages(after, before, false)), back) << c.kind;
    }
}

TEST(FieldCatalogue, BuildRefusesWhatTheWindowRefusesNamingTheField) {
    const struct {
        const char* field;
        FieldValue value;
        const char* message;
    } cases[] = {
        {"Cap #2", std::string("2097152"), kCapcodeRange},
        {"Cap #2", std::string("12a4"), kCapcodeNotNumeric},
        {"Cap #2", true, "expects a text of digits"},
        {"Cap #2", std::int64_t{6}, kCapcodeRange},
        {"Polarity", std::string("Upside down"), "expects one of \"Normal\", \"Invert\""},
        {"Screen Contrast", std::int64_t{9}, "expects a number from 0 to 8"},
        {"Frequency Of Pager", std::string("18000010"),
         "Frequency setting error(13000000 < = Frequency < =18000000 )"},
        {"Frequency Of Pager", std::string("15300010"), "Channel Spacing Error!"},
        {"Frequency Of Pager", std::string("46200000"),
         "Frequency setting error(13000000 < = Frequency < =18000000 )"},
        {"Prompt 4 (MESSAGE UNLOCK)", std::string("A TEXT THAT IS MUCH TOO LONG"),
         "Can not exceed 18 characters exclude left space!"},
        {"Menu Of Pager", std::string("Set Alarm Disable, Coffee Disable"),
         "has no box \"Coffee Disable\"; boxes: \"Set Alert Disable\", \"Pager Off Disable\", "
         "\"Auto Sleep Disable\", \"Set Alarm Disable\", \"Set Time Disable\", \"Set Scroll "
         "Disable\", \"Zoom In Disable\""},
        {"Air Program Enable", RawBits{{0x40}}, "raw value does not fit the field's bits"},
    };
    for (const auto& c : cases) {
        const CatalogueField* f = FindField(c.field);
        ASSERT_NE(f, nullptr) << c.field;
        const ImageBuild build = BuildImage({{f, c.value}}, {});
        ASSERT_EQ(build.errors.size(), 1u) << c.field;
        EXPECT_EQ(build.errors[0].field, c.field);
        EXPECT_EQ(build.errors[0].message, c.message) << c.field;
    }
}

// The band is entered as the band list enters it, so the frequency after it is checked in it.
TEST(FieldCatalogue, TheFrequencyIsEnteredInTheBandGivenBeforeIt) {
    const CatalogueField* band = FindField("Range Of Frequency");
    const CatalogueField* freq = FindField("Frequency Of Pager");
    const ImageBuild moved =
        BuildImage({{freq, std::string("46201250")}, {band, std::string("380-499MHz")}}, {});
    ASSERT_TRUE(moved.errors.empty()) << moved.errors[0].message;
    const std::vector<FieldReading> readings = ReadFields(moved.image);
    EXPECT_EQ(std::get<std::string>(ValueOf(readings, "Range Of Frequency")), "380-499MHz");
    EXPECT_EQ(std::get<std::string>(ValueOf(readings, "Frequency Of Pager")), "46201250");
    EXPECT_EQ(std::get<std::string>(ValueOf(readings, "Channel")), "12.5KHz");

    const ImageBuild refused =
        BuildImage({{band, std::string("380-499MHz")}, {freq, std::string("15300000")}}, {});
    ASSERT_EQ(refused.errors.size(), 1u);
    EXPECT_EQ(refused.errors[0].message,
              "Frequency setting error(38000000 < = Frequency < =49900000 )");
}

TEST(FieldCatalogue, KeptUnnamedBytesWinOverAWritersSideEffectAndAreReported) {
    const PagerImage image = Startup();
    std::vector<FieldReading> fields = ReadFields(image);
    for (FieldReading& r : fields) {
        if (r.field->name == "Power Up Logo") r.value = std::string("");
        if (r.field->name == "POCSAG Signal Baud Rate") r.value = std::string("2400 bps");
    }
    const ImageBuild build = BuildImage(fields, UnnamedOf(image));
    ASSERT_TRUE(build.errors.empty());
    // An empty logo clears 0x3B bits 0-1, which stay unnamed and keep the file's 2.
    EXPECT_EQ(build.image.at(0x3B) & 0x03, 2);
    ASSERT_EQ(build.overridden.size(), 1u);
    EXPECT_EQ(RunName(build.overridden[0].first, build.overridden[0].last), "0x03B");
    EXPECT_EQ(HexBytes(build.overridden[0].bytes), "00");
    // The baud rate's timing bytes belong to it and follow the new row.
    EXPECT_EQ(build.image.at(0x372), 0x05);
    EXPECT_EQ(build.image.at(0x373), 0x1F);
}

// The memory of the drops and the personal address shares one budget, whatever the order.
TEST(FieldCatalogue, BudgetsAreCheckedOnTheWholeNotFieldByField) {
    const CatalogueField* personal = FindField("Personal Memory");
    std::vector<FieldReading> moved = {{personal, std::string("15KB")}};
    for (const char* drop : {"Drop 1 Memory", "Drop 2 Memory", "Drop 3 Memory"}) {
        moved.push_back({FindField(drop), std::string("0.5KB")});
    }
    const ImageBuild fits = BuildImage(moved, {});
    ASSERT_TRUE(fits.errors.empty()) << fits.errors[0].message;
    EXPECT_EQ(fits.image.at(0x00A), 240);
    EXPECT_EQ(fits.image.at(0x01E), 8);

    const ImageBuild over = BuildImage({{personal, std::string("15KB")}}, {});
    ASSERT_EQ(over.errors.size(), 1u);
    EXPECT_EQ(over.errors[0].field, "Personal Memory");
    EXPECT_EQ(over.errors[0].message, kMemoryBudgetMessage);
    EXPECT_EQ(over.image.at(0x00A), Startup().at(0x00A));  // a refused pick stores nothing
}

TEST(FieldCatalogue, UnnamedRunsThatTouchNamedBitsAreRefused) {
    EXPECT_EQ(CheckUnnamedRun({0x041, 0x041, 0xFF, {0x60}}), "0x041 belongs to a named field");
    EXPECT_EQ(CheckUnnamedRun({0x036, 0x036, 0xFF, {0x01}}),
              "0x036 may only set the unnamed bits B4");
    EXPECT_EQ(CheckUnnamedRun({0x004, 0x009, 0xFF, {0x00, 0x01}}), "holds 2 bytes for 6 addresses");
    EXPECT_TRUE(CheckUnnamedRun({0x036, 0x036, 0xFF, {0x24}}).empty());
}

// An import's unnamed ranges, in the order given: the malformed, the named and the overlapping
// are refused, each with its own words; the rest are taken.
TEST(ImageImport, UnnamedRangesAreTakenOrRefusedOneByOne) {
    using Bytes = std::vector<std::uint8_t>;
    const struct {
        const char* range;
        std::optional<Bytes> bytes;
        const char* refusal;  // nullptr: taken
    } cases[] = {
        {"0x3D8-0x3DB", Bytes(4, 0xFF), nullptr},
        {"0x3DA-0x3DC", Bytes(3, 0xFF), "unnamed bytes 0x3DA-0x3DC overlap 0x3D8-0x3DB"},
        {"0x3DC", Bytes{0xFF}, nullptr},
        {"0x3DD", std::nullopt, "unnamed bytes \"0x3DD\" expect \"0xAAA-0xBBB\": \"hex\""},
        {"0x3DD-", Bytes{0xFF}, "unnamed bytes \"0x3DD-\" expect \"0xAAA-0xBBB\": \"hex\""},
        {"0x400", Bytes{0xFF}, "unnamed bytes \"0x400\" expect \"0xAAA-0xBBB\": \"hex\""},
        {"3DD", Bytes{0xFF}, "unnamed bytes \"3DD\" expect \"0xAAA-0xBBB\": \"hex\""},
        {"0x0x3DD", Bytes{0xFF}, "unnamed bytes \"0x0x3DD\" expect \"0xAAA-0xBBB\": \"hex\""},
        {"0x3DE-0x3DD", Bytes{}, "unnamed bytes 0x3DE-0x3DD: addresses outside 0x000-0x3FF"},
        {"0x041", Bytes{0x60}, "unnamed bytes 0x041: 0x041 belongs to a named field"},
        {"0x3dd-0x3DE", Bytes{0xFF, 0xFF}, nullptr},
    };
    ImageImport import;
    for (const auto& c : cases) {
        const auto refusal = import.GiveUnnamed(c.range, c.bytes);
        if (c.refusal) {
            EXPECT_EQ(refusal, std::optional<std::string>(c.refusal)) << c.range;
        } else {
            EXPECT_EQ(refusal, std::nullopt) << c.range << ": " << *refusal;
        }
    }
    // Every name a range is written with reads back as its addresses.
    for (const UnnamedRun& run : UnnamedOf(Startup())) {
        EXPECT_EQ(ParseRunName(RunName(run.first, run.last)), std::pair(run.first, run.last));
    }
}

// What an import leaves out keeps the start image's value and is named; a field on another
// page is unknown there; a writer's refusal names its field and builds nothing.
TEST(ImageImport, BuildsFromWhatIsGivenAndTellsWhatWasLeftOut) {
    const PagerImage start = Startup();
    const std::vector<UnnamedRun> runs = UnnamedOf(start);
    const auto leftOut = std::find_if(runs.begin(), runs.end(),
                                      [](const UnnamedRun& r) { return r.first == 0x3D8; });
    ASSERT_NE(leftOut, runs.end());

    ImageImport import;
    EXPECT_EQ(import.GiveField(kPageCode, "Cap #1", std::string("0000042")), std::nullopt);
    EXPECT_EQ(import.GiveField(kPageStatus, "Cap #2", std::string("0000043")),
              "unknown field \"Cap #2\" on the page \"Alerts and Status\"");
    EXPECT_EQ(import.GiveField(kPageStatus, "Power Up Logo", std::string("")), std::nullopt);
    for (auto run = runs.begin(); run != runs.end(); ++run) {
        if (run != leftOut) {
            EXPECT_EQ(import.GiveUnnamed(RunName(run->first, run->last), run->bytes), std::nullopt);
        }
    }
    const ImportOutcome outcome = import.Build();
    ASSERT_TRUE(outcome.errors.empty());
    ASSERT_TRUE(outcome.image.has_value());
    EXPECT_EQ(CapcodeText(*outcome.image, 0), "0000042");
    EXPECT_EQ(CapcodeText(*outcome.image, 1), CapcodeText(start, 1));
    EXPECT_EQ(outcome.settingsNotGiven.size(), FieldCatalogue().size() - 2);
    EXPECT_EQ(
        std::count(outcome.settingsNotGiven.begin(), outcome.settingsNotGiven.end(), "Cap #2"), 1);
    EXPECT_EQ(outcome.unnamedNotGiven,
              std::vector<std::string>{RunName(leftOut->first, leftOut->last)});
    EXPECT_EQ(outcome.notes, std::vector<std::string>{"unnamed bytes 0x03B keep the file's value; "
                                                      "the fields' writers set 00"});

    ImageImport over;
    ASSERT_EQ(over.GiveField(kPageStatus, "Personal Memory", std::string("15KB")), std::nullopt);
    const ImportOutcome refused = over.Build();
    ASSERT_EQ(refused.errors.size(), 1u);
    EXPECT_EQ(refused.errors[0].field, "Personal Memory");
    EXPECT_FALSE(refused.image.has_value());
}

}  // namespace
}  // namespace kpx
