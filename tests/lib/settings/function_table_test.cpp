#include "settings/function_table.h"

#include <gtest/gtest.h>

#include "image/default_image.h"

namespace kpx {
namespace {

TEST(FunctionTable, DefaultImageSummaries) {
    PagerImage im = BuildDefaultImage();
    const PagerImage before = im;
    struct Row {
        int element;
        const char *type, *disp, *pri, *en;
    } rows[] = {{3, "PPPP", "AAAA", "----", "vvvv"},
                {0, "PPPP", "AAAA", "----", "vvvv"},
                {2, "1111", "AAAA", "----", "vvvv"}};
    for (const Row& r : rows) {
        EXPECT_EQ(TypeSummary(im, r.element), r.type) << r.element;
        EXPECT_EQ(DisplaySummary(im, r.element), r.disp) << r.element;
        EXPECT_EQ(PrioritySummary(im, r.element), r.pri) << r.element;
        EXPECT_EQ(EnableSummary(im, r.element), r.en) << r.element;
    }
    EXPECT_EQ(im, before) << "nothing to repair in the default image";
    EXPECT_EQ(SingleTypeRow(im, 0), 2);  // "Mail Drop 2"
    EXPECT_EQ(SingleTypeRow(im, 1), 3);  // "Mail Drop 3"
    EXPECT_EQ(CapcodeLabel(3), "#1");
    EXPECT_EQ(CapcodeLabel(0), "#2");
    EXPECT_EQ(CapcodeLabel(2), "#4");
}

TEST(FunctionTable, EditorWritesAndTheirSummaries) {
    struct Case {
        const char* what;
        int element, bit;
        void (*write)(PagerImage&, int, int);
        int address;
        std::uint8_t before, after;
        std::string (*summary)(PagerImage&, int);
        const char* text;
    } cases[] = {
        {"Tone Only for C of capcode 3", 1, 2,
         [](PagerImage& im, int e, int b) { WriteFunctionDisplay(im, e, b, 4); }, 0x032, 0x22, 0x42,
         [](PagerImage& im, int e) { return DisplaySummary(im, e); }, "AATA"},
        {"Ideo for D of capcode 1", 3, 3,
         [](PagerImage& im, int e, int b) { WriteFunctionDisplay(im, e, b, 3); }, 0x0EF, 0x22, 0x23,
         [](PagerImage& im, int e) { return DisplaySummary(im, e); }, "AAAI"},
        {"Group for B of capcode 1", 3, 1,
         [](PagerImage& im, int e, int b) { WriteFunctionType(im, e, b, 15); }, 0x35D, 0x00, 0xFF,
         [](PagerImage& im, int e) { return TypeSummary(im, e); }, "PGPP"},
        {"Mail Drop E for A of capcode 4", 2, 0,
         [](PagerImage& im, int e, int b) { WriteFunctionType(im, e, b, 14); }, 0x3A8, 0x03, 0x10,
         [](PagerImage& im, int e) { return TypeSummary(im, e); }, "E111"},
        {"priority A of capcode 1", 3, 0,
         [](PagerImage& im, int e, int b) { WriteFunctionPriority(im, e, b, true); }, 0x38F, 0x06,
         0x86, [](PagerImage& im, int e) { return PrioritySummary(im, e); }, "v---"},
        {"priority D of capcode 2", 0, 3,
         [](PagerImage& im, int e, int b) { WriteFunctionPriority(im, e, b, true); }, 0x38C, 0x0F,
         0x1F, [](PagerImage& im, int e) { return PrioritySummary(im, e); }, "---v"},
        {"enable C of capcode 2 off", 0, 2,
         [](PagerImage& im, int e, int b) { WriteFunctionEnabled(im, e, b, false); }, 0x38C, 0x0F,
         0x0B, [](PagerImage& im, int e) { return EnableSummary(im, e); }, "vv-v"},
        {"enable A of capcode 1 off", 3, 0,
         [](PagerImage& im, int e, int b) { WriteFunctionEnabled(im, e, b, false); }, 0x0ED, 0x0F,
         0x0E, [](PagerImage& im, int e) { return EnableSummary(im, e); }, "-vvv"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PagerImage im = BuildDefaultImage();
        im.set(c.address, c.before);
        PagerImage expect = im;
        expect.set(c.address, c.after);
        c.write(im, c.element, c.bit);
        EXPECT_EQ(im, expect);
        EXPECT_EQ(c.summary(im, c.element), c.text);
    }
}

TEST(FunctionTable, DisplayRepairRewritesCodesAboveFour) {
    PagerImage im;
    im.set(0x0EE, 0x9F);
    im.set(0x0EF, 0x05);
    EXPECT_EQ(DisplaySummary(im, 3), "AANA");
    EXPECT_EQ(im.at(0x0EE), 0x22);
    EXPECT_EQ(im.at(0x0EF), 0x02);
    im.set(0x033, 0x41);
    im.set(0x034, 0x30);
    EXPECT_EQ(DisplaySummary(im, 2), "TPIN");
    EXPECT_EQ(im.at(0x033), 0x41);
}

TEST(FunctionTable, AddressTypeRowsCodesAndLetters) {
    // The editor selects no row for a byte no row stands for; the lists of capcodes 5 and 6
    // show row b - 2 wherever there is one (2 "Personal", 17 "Group").
    struct Case {
        int byte;
        std::optional<int> row;
        const char* letter;
        std::optional<int> singleRow;
    } cases[] = {{0, 0, "P", 0},
                 {3, 1, "1", 1},
                 {11, 9, "9", 9},
                 {12, 10, "A", 10},
                 {16, 14, "E", 14},
                 {0xFF, 15, "G", 15},  // rows
                 {1, std::nullopt, "FFFF", std::nullopt},
                 {2, std::nullopt, "0", 0},
                 {17, std::nullopt, "F", 15},
                 {18, std::nullopt, "10", std::nullopt},
                 {0xFE, std::nullopt, "FC", std::nullopt}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.byte);
        const auto b = static_cast<std::uint8_t>(c.byte);
        EXPECT_EQ(AddressTypeRow(b), c.row);
        if (c.row) EXPECT_EQ(AddressTypeCode(*c.row), b);
        PagerImage im;
        im.set(0x3A4, b);
        EXPECT_EQ(TypeSummary(im, 1), std::string(c.letter) + "PPP");
        im.set(0x3AD, b);
        EXPECT_EQ(SingleTypeRow(im, 1), c.singleRow);
    }
    PagerImage im;
    WriteSingleType(im, 0, 15);
    EXPECT_EQ(im.at(0x3AC), 0xFF);
    WriteSingleType(im, 1, 5);
    EXPECT_EQ(im.at(0x3AD), 7);
    EXPECT_THROW(AddressTypeCode(16), std::out_of_range);
    EXPECT_THROW(FunctionBasesFor(4), std::out_of_range);
}

TEST(FunctionTable, EditorReadsTheFourBitsOfEachRow) {
    PagerImage im;
    im.set(0x031, 0x13);
    im.set(0x032, 0x40);
    im.set(0x3A4, 0xFF);
    im.set(0x3A5, 2);
    im.set(0x38D, 0x5A);  // priority bits 7-4 = 0101, enable bits 3-0 = 1010
    const int disp[] = {1, 3, 4, 0};
    const std::optional<int> type[] = {15, std::nullopt, 0, 0};
    const bool en[] = {false, true, false, true};
    const bool pri[] = {false, true, false, true};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(FunctionDisplay(im, 1, i), disp[i]) << i;
        EXPECT_EQ(FunctionTypeRow(im, 1, i), type[i]) << i;
        EXPECT_EQ(FunctionEnabled(im, 1, i), en[i]) << i;
        EXPECT_EQ(FunctionPriority(im, 1, i), pri[i]) << i;
    }
}

}  // namespace
}  // namespace kpx
