#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kpx::fuzz {

// The harnesses: each takes one input, runs it through the program's code and checks what it
// can about the result. The libFuzzer build and the corpus replay of the normal suite call the
// same functions.
int Fuzz_table_file(const std::uint8_t* data, std::size_t size);
int Fuzz_registry(const std::uint8_t* data, std::size_t size);
int Fuzz_serial_replies(const std::uint8_t* data, std::size_t size);
int Fuzz_prompt_store(const std::uint8_t* data, std::size_t size);
int Fuzz_glyph_cells(const std::uint8_t* data, std::size_t size);
int Fuzz_entry_texts(const std::uint8_t* data, std::size_t size);
int Fuzz_bus_trace(const std::uint8_t* data, std::size_t size);
int Fuzz_production_log(const std::uint8_t* data, std::size_t size);

// A broken invariant. It aborts, which libFuzzer reports as a crash with the input that made
// it; the corpus replay installs a handler that fails the test instead.
using FailureHandler = void (*)(const char* harness, const char* what);
void SetFailureHandler(FailureHandler handler);
void Fail(const char* harness, const char* what);
inline void Check(bool ok, const char* harness, const char* what) {
    if (!ok) Fail(harness, what);
}

// Takes an input apart: bytes and texts from the front, until nothing is left.
class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool empty() const { return pos_ >= size_; }
    std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    // A text of up to `max` bytes, its length taken from the next byte.
    std::string Text(std::size_t max) {
        std::size_t n = Byte() % (max + 1);
        n = std::min(n, size_ - std::min(pos_, size_));
        std::string s(reinterpret_cast<const char*>(data_ + pos_), n);
        pos_ += n;
        return s;
    }
    std::string Rest() {
        std::string s(reinterpret_cast<const char*>(data_ + std::min(pos_, size_)),
                      size_ - std::min(pos_, size_));
        pos_ = size_;
        return s;
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// A file in the temporary folder for harnesses that go through a path; one per process.
std::string ScratchFile(const char* name, const std::uint8_t* data, std::size_t size);

}  // namespace kpx::fuzz
