#include "support/registry_access.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/memory_registry.h"
#include "testsupport/fakes.h"

namespace kpx {
namespace {

using kpx::testing::ReadFile;

TEST(RegistryPath, LongAndShortHiveNamesNameTheSameKey) {
    struct Case {
        const char* path;
        RegKey hive;
        const char* subkey;
    } cases[] = {
        {"HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP", kHkeyLocalMachine, "HARDWARE\\DEVICEMAP"},
        {"hklm\\HARDWARE\\DEVICEMAP", kHkeyLocalMachine, "HARDWARE\\DEVICEMAP"},
        {"hkey_current_user\\Software", kHkeyCurrentUser, "Software"},
        {"HKCU", kHkeyCurrentUser, ""},
        {"HKEY_USERS", kHkeyUsers, ""},
        {"HKCC\\x", kHkeyCurrentConfig, "x"},
        {"HKXX\\Software", 0, "Software"},
        {"Software", 0, ""},
    };
    for (const auto& c : cases) {
        const auto split = RegistryAccess::Split(c.path);
        EXPECT_EQ(split.hive, c.hive) << c.path;
        EXPECT_EQ(split.subkey, c.subkey) << c.path;
    }
}

TEST(RegistryAccess, KeysAndValues) {
    MemoryRegistry backend;
    RegistryAccess reg(backend);
    EXPECT_NE(reg.CreateKey("HKEY_LOCAL_MACHINE\\Software\\Kpx"), 0u);
    EXPECT_TRUE(reg.KeyExists("hklm\\SOFTWARE\\kpx"));
    EXPECT_TRUE(reg.KeyExists("HKCU"));
    EXPECT_FALSE(reg.KeyExists("HKQQ"));
    EXPECT_EQ(reg.CreateKey("HKQQ\\x"), 0u);

    EXPECT_TRUE(reg.WriteString("HKLM\\Software\\Kpx", "Name", "pager"));
    EXPECT_EQ(reg.ReadString("HKLM\\Software\\Kpx", "name", "none"), "pager");
    EXPECT_EQ(reg.ReadString("HKLM\\Software\\Kpx", "Missing", "none"), "none");
    EXPECT_TRUE(reg.WriteDWORD("HKLM\\Software\\Kpx", "Count", 255));
    EXPECT_EQ(reg.ReadDWORD("HKLM\\Software\\Kpx", "Count", 7), 255u);
    EXPECT_EQ(reg.ReadDWORD("HKLM\\Software\\Kpx", "Name", 7), 7u);  // wrong type: default
    EXPECT_TRUE(reg.WriteBinary("HKLM\\Software\\Kpx", "Blob", "01 ab 00"));
    EXPECT_EQ(reg.ReadBinary("HKLM\\Software\\Kpx", "Blob", ""), "01 AB 00");
    EXPECT_FALSE(reg.WriteBinary("HKLM\\Software\\Kpx", "Bad", "01 zz"));
    EXPECT_FALSE(reg.ValueExists("HKLM\\Software\\Kpx", "Bad"));

    EXPECT_TRUE(reg.CreateKey("HKLM\\Software\\Kpx\\Sub"));
    EXPECT_TRUE(reg.HaveSubkey("HKLM\\Software\\Kpx"));
    std::vector<std::string> keys;
    EXPECT_EQ(reg.EnumKeys("HKLM\\Software\\Kpx", keys), 1);
    EXPECT_EQ(keys, std::vector<std::string>{"Sub"});
    EXPECT_EQ(reg.EnumKeys("HKLM\\Nowhere", keys), -1);

    EXPECT_TRUE(reg.KillValue("HKLM\\Software\\Kpx", "Name"));
    EXPECT_FALSE(reg.ValueExists("HKLM\\Software\\Kpx", "Name"));
    EXPECT_FALSE(reg.KillValue("HKLM\\Software\\Kpx", "Name"));

    reg.CreateKeyIfDoesntExists = false;
    EXPECT_FALSE(reg.WriteString("HKLM\\Software\\Other", "a", "b"));
    EXPECT_FALSE(reg.KeyExists("HKLM\\Software\\Other"));
    reg.CreateKeyIfDoesntExists = true;

    EXPECT_TRUE(reg.KillKey("HKLM\\Software\\Kpx"));
    EXPECT_FALSE(reg.KeyExists("HKLM\\Software\\Kpx\\Sub"));
    EXPECT_FALSE(reg.KillKey("HKLM\\Software\\Kpx"));
    // No key stays open between calls.
    EXPECT_EQ(backend.OpenHandleCount(), 0);
}

TEST(RegistryAccess, EnumValuesByType) {
    MemoryRegistry backend;
    RegistryAccess reg(backend);
    reg.WriteString("HKCU\\T", "s", "text");
    reg.WriteDWORD("HKCU\\T", "d", 42);
    reg.WriteBinary("HKCU\\T", "b", "0A 0B");
    std::vector<std::string> names = {"old"};
    std::vector<std::string> values = {"old"};
    EXPECT_EQ(reg.EnumValues("HKCU\\T", names, values, -1), 3);
    EXPECT_EQ(names, (std::vector<std::string>{"s", "d", "b"}));
    EXPECT_EQ(values, (std::vector<std::string>{"text", "42", "0A 0B"}));
    EXPECT_EQ(reg.EnumValues("HKCU\\T", names, values, static_cast<int>(kRegDword)), 1);
    EXPECT_EQ(names, std::vector<std::string>{"d"});

    // A key that cannot be opened: -1 and the arrays as they were; it counts as no ports.
    EXPECT_EQ(reg.EnumValues("HKCU\\Missing", names, values, -1), -1);
    EXPECT_EQ(names, std::vector<std::string>{"d"});
    EXPECT_EQ(SerialPortCount(reg), 0);
    backend.ReplaceStringValues(kHkeyLocalMachine, "HARDWARE\\DEVICEMAP\\SERIALCOMM",
                                {{"\\Device\\Serial0", "COM1"}, {"\\Device\\Serial1", "COM2"}});
    EXPECT_EQ(SerialPortCount(reg), 2);
}

TEST(RegistryBinaryText, Conversions) {
    EXPECT_EQ(RegistryAccess::BinToStr({0x01, 0xAB, 0x00}), "01 AB 00");
    EXPECT_EQ(RegistryAccess::StrToBin("01 ab 00"), (std::vector<std::uint8_t>{0x01, 0xAB, 0x00}));
    EXPECT_EQ(RegistryAccess::StrToBin("0102 f"), (std::vector<std::uint8_t>{1, 2, 0xF}));
    EXPECT_TRUE(RegistryAccess::isBinValid("01 AB ff"));
    for (const char* bad : {"", "01,02", "0x01", "G1", "01\t02"}) {
        EXPECT_FALSE(RegistryAccess::isBinValid(bad)) << bad;
    }
}

TEST(RegistryExport, FormatAndRoundTrip) {
    testing::TempDir dir;
    MemoryRegistry backend;
    RegistryAccess reg(backend);
    reg.WriteString("HKCU\\Software\\Kpx", "@", "default text");
    reg.WriteString("HKCU\\Software\\Kpx", "Path", "C:\\pager\\a.tbl");
    reg.WriteDWORD("HKCU\\Software\\Kpx", "Count", 255);
    reg.WriteBinary("HKCU\\Software\\Kpx", "Blob", "01 AB 00");
    reg.WriteString("HKCU\\Software\\Kpx\\Child", "x", "y");

    const std::string file = dir.File("out.reg");
    std::string shown;
    ASSERT_TRUE(reg.ExportToReg("HKCU\\Software\\Kpx", file, true, &shown));
    const std::string text = ReadFile(file);
    EXPECT_EQ(text,
              "REGEDIT4\r\n\r\n"
              "[HKEY_CURRENT_USER\\Software\\Kpx]\r\n"
              "@=\"default text\"\r\n"
              "\"Path\"=\"C:\\pager\\a.tbl\"\r\n"
              "\"Count\"=dword:000000FF\r\n"
              "\"Blob\"=hex:01,AB,00\r\n"
              "\r\n"
              "[HKEY_CURRENT_USER\\Software\\Kpx\\Child]\r\n"
              "\"x\"=\"y\"\r\n"
              "\r\n");
    EXPECT_EQ(shown, text.substr(std::string("REGEDIT4\r\n\r\n").size()));

    // A second export appends without a second header.
    ASSERT_TRUE(reg.ExportToReg("HKCU\\Software\\Kpx\\Child", file, false));
    EXPECT_EQ(ReadFile(file).find("REGEDIT4", 1), std::string::npos);

    MemoryRegistry other;
    RegistryAccess copy(other);
    ASSERT_TRUE(copy.ImportFromReg(file));
    EXPECT_EQ(copy.ReadString("HKCU\\Software\\Kpx", "@", ""), "default text");
    EXPECT_EQ(copy.ReadString("HKCU\\Software\\Kpx", "Path", ""), "C:\\pager\\a.tbl");
    EXPECT_EQ(copy.ReadDWORD("HKCU\\Software\\Kpx", "Count", 0), 255u);
    EXPECT_EQ(copy.ReadBinary("HKCU\\Software\\Kpx", "Blob", ""), "01 AB 00");
    EXPECT_EQ(copy.ReadString("HKCU\\Software\\Kpx\\Child", "x", ""), "y");
    EXPECT_FALSE(reg.ExportToReg("HKCU\\Nowhere", dir.File("none.reg"), true));
}

TEST(RegistryImport, DeletionsCommentsAndBadHeader) {
    testing::TempDir dir;
    MemoryRegistry backend;
    RegistryAccess reg(backend);
    reg.WriteString("HKCU\\A", "keep", "1");
    reg.WriteString("HKCU\\A", "drop", "1");
    reg.WriteString("HKCU\\Gone\\Deep", "v", "1");
    {
        std::ofstream f(dir.File("in.reg"), std::ios::binary);
        f << "regedit4\r\n\r\n; a comment\r\n[HKEY_CURRENT_USER\\A]\r\n\"drop\"=-\r\n"
             "\"n\"=dword:0000002a\r\nnot a value line\r\n[-HKEY_CURRENT_USER\\Gone]\r\n";
    }
    ASSERT_TRUE(reg.ImportFromReg(dir.File("in.reg")));
    EXPECT_TRUE(reg.ValueExists("HKCU\\A", "keep"));
    EXPECT_FALSE(reg.ValueExists("HKCU\\A", "drop"));
    EXPECT_EQ(reg.ReadDWORD("HKCU\\A", "n", 0), 42u);
    EXPECT_FALSE(reg.KeyExists("HKCU\\Gone"));

    {
        std::ofstream f(dir.File("bad.reg"), std::ios::binary);
        f << "Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\B]\r\n";
    }
    EXPECT_FALSE(reg.ImportFromReg(dir.File("bad.reg")));
    EXPECT_FALSE(reg.KeyExists("HKCU\\B"));
    EXPECT_FALSE(reg.ImportFromReg(dir.File("missing.reg")));
}

}  // namespace
}  // namespace kpx
