#include "testsupport/fakes.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace kpx::testing {

DialogAnswer RecordingDialogs::Message(const std::string& text, DialogButtons buttons,
                                       DialogIcon icon) {
    shown_.push_back({text, buttons, icon});
    if (buttons == DialogButtons::Ok) return DialogAnswer::Ok;
    if (script_.empty()) {
        ReportUnscriptedQuestion(text);
        return DialogAnswer::No;
    }
    DialogAnswer answer = script_.front();
    script_.pop_front();
    return answer;
}

std::vector<std::string> RecordingDialogs::Texts() const {
    std::vector<std::string> texts;
    for (const auto& s : shown_) texts.push_back(s.text);
    return texts;
}

TempDir::TempDir() {
    namespace fs = std::filesystem;
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path p = fs::temp_directory_path() / ("kpx41-test-" + std::to_string(rd()));
        if (fs::create_directory(p)) {
            path_ = p.string();
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    const std::string text = ReadFile(path);
    return {text.begin(), text.end()};
}

}  // namespace kpx::testing
