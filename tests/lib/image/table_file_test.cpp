#include "image/table_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <string>
#include <vector>

#include "testsupport/fakes.h"

namespace kpx {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

std::vector<std::uint8_t> ModelFile(std::size_t size, const char* model = "KPX41") {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i % 251 + 1);
    for (std::size_t i = 0; i < 5 && 0x3E1 + i < size; ++i) {
        bytes[0x3E1 + i] = static_cast<std::uint8_t>(model[i]);
    }
    return bytes;
}

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

using testing::ReadBytes;

PagerImage SampleImage() {
    PagerImage image;
    for (int a = 0; a < kImageSize; ++a) image.set(a, static_cast<std::uint8_t>(255 - a % 256));
    const std::string model = "KPX41";
    for (int i = 0; i < 5; ++i) image.set(0x3E1 + i, static_cast<std::uint8_t>(model[i]));
    image.set(0x150, 0xC4);  // text stays in PC characters
    return image;
}

TEST(TableFile, OpensTheFirst1024Bytes) {
    TempDir dir;
    struct Case {
        std::size_t size;
    };
    for (const Case c : {Case{1024}, Case{1500}}) {
        const std::string path = dir.File("f" + std::to_string(c.size) + ".tbl");
        const auto bytes = ModelFile(c.size);
        WriteFile(path, bytes);
        const TableFileLoad load = LoadTableFile(path);
        ASSERT_EQ(load.status, TableFileStatus::Ok) << load.message;
        EXPECT_TRUE(load.message.empty());
        for (std::size_t a = 0; a < kImageSize; ++a) {
            EXPECT_EQ(load.bytes[a], a < c.size ? bytes[a] : 0) << c.size << " at " << a;
        }
    }
}

// Every file the program writes is 1024 bytes; a shorter one was cut off and would put zeros
// over a pager's identification. It is refused as not of the format, and says its length.
TEST(TableFile, RefusesAFileShorterThan1024BytesSayingItsLength) {
    TempDir dir;
    for (const std::size_t size : {0u, 0x3E3u, 998u, 1000u, 1023u}) {
        const std::string path = dir.File("cut" + std::to_string(size) + ".tbl");
        WriteFile(path, ModelFile(size));
        const TableFileLoad load = LoadTableFile(path);
        EXPECT_EQ(load.status, TableFileStatus::BadFormat) << size;
        EXPECT_EQ(load.message, BadFormatMessage(path));
        EXPECT_EQ(load.reason,
                  path + " is " + std::to_string(size) + " bytes; a table file holds 1024");
    }
    WriteFile(dir.File("whole.tbl"), ModelFile(1024));
    EXPECT_EQ(LoadTableFile(dir.File("whole.tbl")).reason, "");
}

// The look at an output before the work that fills it: what a save would meet, and nothing
// left behind.
TEST(TableFile, CheckOutputFileSaysWhatASaveWouldMeet) {
    TempDir dir;
    WriteFile(dir.File("old.tbl"), ModelFile(1024));
    const struct {
        std::string path;
        bool replace;
        OutputStatus status;
        std::string why;
    } cases[] = {
        {dir.File("new.tbl"), false, OutputStatus::Ok, ""},
        {dir.File("old.tbl"), false, OutputStatus::Exists, "it exists"},
        {dir.File("old.tbl"), true, OutputStatus::Ok, ""},
        {dir.path(), true, OutputStatus::Unwritable, "it is a folder"},
        {"/dev/null", true, OutputStatus::Unwritable, "it is a device"},
        {dir.File("none/new.tbl"), false, OutputStatus::Unwritable, "the folder does not exist"},
        {"", false, OutputStatus::Unwritable, "no file name given"},
    };
    for (const auto& c : cases) {
        const OutputCheck check = CheckOutputFile(c.path, c.replace);
        EXPECT_EQ(check.status, c.status) << c.path;
        EXPECT_EQ(check.why, c.why) << c.path;
    }
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(dir.path())) {
        left.push_back(e.path().filename().string());
    }
    EXPECT_EQ(left, std::vector<std::string>{"old.tbl"});
    if (::geteuid() != 0) {  // root may write anywhere
        fs::create_directory(dir.File("locked"));
        fs::permissions(dir.File("locked"), fs::perms::owner_read | fs::perms::owner_exec);
        const OutputCheck locked = CheckOutputFile(dir.File("locked/x.tbl"), false);
        EXPECT_EQ(locked.status, OutputStatus::Unwritable);
        EXPECT_EQ(locked.why, "Permission denied");
        fs::permissions(dir.File("locked"), fs::perms::owner_all);
    }
}

TEST(TableFile, RefusesFilesWithoutTheExactModelText) {
    TempDir dir;
    for (const char* model : {"kpx41", "KPX42", "KPX4 "}) {
        const std::string path = dir.File("bad.tbl");
        WriteFile(path, ModelFile(1024, model));
        const TableFileLoad load = LoadTableFile(path);
        EXPECT_EQ(load.status, TableFileStatus::BadFormat) << model;
        EXPECT_EQ(load.message,
                  "The [" + path + "] is not correct format, the file will discard !");
    }
    // Too short to hold the model text at all.
    WriteFile(dir.File("short.tbl"), ModelFile(0x3E3));
    EXPECT_EQ(LoadTableFile(dir.File("short.tbl")).status, TableFileStatus::BadFormat);
    WriteFile(dir.File("empty.tbl"), {});
    EXPECT_EQ(LoadTableFile(dir.File("empty.tbl")).status, TableFileStatus::BadFormat);
}

TEST(TableFile, MissingFilesAndFoldersAreReported) {
    TempDir dir;
    const TableFileLoad missing = LoadTableFile(dir.File("none.tbl"));
    EXPECT_EQ(missing.status, TableFileStatus::NotFound);
    EXPECT_EQ(missing.message, "This file is not exit!");

    const TableFileLoad folder = LoadTableFile(dir.path());
    EXPECT_EQ(folder.status, TableFileStatus::ReadError);
    EXPECT_NE(folder.message.find(dir.path()), std::string::npos) << folder.message;
}

// Runs an open or a save of a named pipe; should it block on the pipe, a writer and a reader
// come along to set it free, so the test fails instead of hanging.
template <class F>
auto WithoutBlockingOn(const std::string& fifo, F step) {
    auto done = std::async(std::launch::async, step);
    if (done.wait_for(std::chrono::seconds(2)) == std::future_status::timeout) {
        ADD_FAILURE() << "blocked on " << fifo;
        const int w = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        const int r = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
        if (w >= 0) ::close(w);
        if (r >= 0) ::close(r);
    }
    return done.get();
}

TEST(TableFile, PathsThatAreNotRegularFilesAreRefusedWithoutBlocking) {
    TempDir dir;
    const std::string fifo = dir.File("pipe.tbl");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        std::string path;
        const char* why;
    } cases[] = {
        {fifo, "it is a named pipe"},
        {"/dev/null", "it is a device"},
        {dir.path(), "it is a folder"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const TableFileLoad load = WithoutBlockingOn(fifo, [&] { return LoadTableFile(c.path); });
        EXPECT_EQ(load.status, TableFileStatus::ReadError);
        EXPECT_EQ(load.message, "The file [" + c.path + "] cannot be read: " + c.why);
    }
    const std::string saved =
        WithoutBlockingOn(fifo, [&] { return SaveTableFile(fifo, SampleImage()); });
    EXPECT_EQ(saved, "The file [" + fifo + "] cannot be saved: it is a named pipe");
    EXPECT_TRUE(fs::is_fifo(fifo)) << "the pipe is left as it was";
}

TEST(TableFile, SaveThenOpenGivesTheSameBytes) {
    TempDir dir;
    const std::string path = dir.File("round.tbl");
    WriteFile(path, std::vector<std::uint8_t>(3000, 0x77));  // an older, longer file
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    const PagerImage image = SampleImage();
    ASSERT_EQ(SaveTableFile(path, image), "");
    const auto saved = ReadBytes(path);
    ASSERT_EQ(saved.size(), 1024u);
    EXPECT_TRUE(std::equal(saved.begin(), saved.end(), image.bytes().begin()));
    EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write);

    const TableFileLoad load = LoadTableFile(path);
    ASSERT_EQ(load.status, TableFileStatus::Ok);
    EXPECT_EQ(load.bytes, image.bytes());
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(TableFile, SaveThroughASymbolicLinkKeepsTheLink) {
    TempDir dir;
    WriteFile(dir.File("real.tbl"), ModelFile(1024));
    fs::create_symlink(dir.File("real.tbl"), dir.File("link.tbl"));
    ASSERT_EQ(SaveTableFile(dir.File("link.tbl"), SampleImage()), "");
    EXPECT_TRUE(fs::is_symlink(dir.File("link.tbl")));
    EXPECT_EQ(LoadTableFile(dir.File("real.tbl")).bytes, SampleImage().bytes());
}

// Fails every write past 100 bytes (as a full disk would), also for root.
class FileSizeLimit {
  public:
    FileSizeLimit() {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old_;
        small.rlim_cur = 100;
        ok_ = setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    bool ok() const { return ok_; }

  private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
    bool ok_ = false;
};

TEST(TableFile, AFailedSaveLeavesTheOldFileAndNoTemporaryFile) {
    TempDir dir;
    const std::string path = dir.File("old.tbl");
    const auto old = ModelFile(1024);
    WriteFile(path, old);

    std::string failure;
    {
        FileSizeLimit limit;
        ASSERT_TRUE(limit.ok());
        failure = SaveTableFile(path, SampleImage());
    }
    EXPECT_EQ(failure, "The file [" + path + "] cannot be saved: File too large");
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(TableFile, AReadOnlyOldFileIsNotReplaced) {
    if (geteuid() == 0) GTEST_SKIP() << "root may write any file";
    TempDir dir;
    const std::string path = dir.File("locked.tbl");
    const auto old = ModelFile(1024);
    WriteFile(path, old);
    fs::permissions(path, fs::perms::owner_read);
    EXPECT_EQ(SaveTableFile(path, SampleImage()),
              "The file [" + path + "] cannot be saved: Permission denied");
    EXPECT_EQ(ReadBytes(path), old);
}

TEST(TableFile, SaveReportsTargetsThatCannotBeWritten) {
    TempDir dir;
    fs::create_directory(dir.File("folder.tbl"));
    WriteFile(dir.File("folder.tbl/inside"), {1, 2, 3});
    const std::string cases[] = {dir.File("folder.tbl"), dir.File("no/such/folder/x.tbl"), ""};
    for (const std::string& path : cases) {
        const std::string failure = SaveTableFile(path, SampleImage());
        EXPECT_FALSE(failure.empty()) << path;
        EXPECT_NE(failure.find("[" + path + "]"), std::string::npos) << failure;
    }
    EXPECT_EQ(ReadBytes(dir.File("folder.tbl/inside")), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(TableFile, ModelTextIsCaseSensitiveAndCaptionHoldsOnePath) {
    ImageBytes bytes{};
    EXPECT_FALSE(HasModelText(bytes));
    const std::string model = "KPX41";
    for (int i = 0; i < 5; ++i) bytes[0x3E1 + i] = static_cast<std::uint8_t>(model[i]);
    EXPECT_TRUE(HasModelText(bytes));
    bytes[0x3E5] = '1' + 1;
    EXPECT_FALSE(HasModelText(bytes));

    const std::string base = "Brightwater KPX41 Basic(USB) V01.2";
    const std::string first = CaptionWithPath(base, "/a/one.tbl");
    EXPECT_EQ(first, base + " - [/a/one.tbl]");
    EXPECT_EQ(CaptionWithPath(first, "/b/two.tbl"), base + " - [/b/two.tbl]");
}

}  // namespace
}  // namespace kpx
