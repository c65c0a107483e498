#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "support/user_dialogs.h"
#include "timing/clock.h"

namespace kpx::testing {

// A question that no test answered. The suites report it as a failure of the running test;
// the fuzzers as a broken invariant.
void ReportUnscriptedQuestion(const std::string& text);

// Records every message and answers questions from a script. A question the script does not
// answer fails the test (and is answered No, which stops what asked it).
class RecordingDialogs : public UserDialogs {
  public:
    struct Shown {
        std::string text;
        DialogButtons buttons;
        DialogIcon icon;
    };

    DialogAnswer Message(const std::string& text, DialogButtons buttons, DialogIcon icon) override;

    void AnswerNext(DialogAnswer answer, int times = 1) {
        for (int i = 0; i < times; ++i) script_.push_back(answer);
    }
    // Answers not yet used.
    std::size_t Unanswered() const { return script_.size(); }
    std::vector<std::string> Texts() const;
    const std::vector<Shown>& shown() const { return shown_; }
    void Clear() { shown_.clear(); }

  private:
    std::vector<Shown> shown_;
    std::deque<DialogAnswer> script_;
};

// A clock that moves only when told to, or by the time slept on it.
class FakeClock : public Clock {
  public:
    // Each reading returns the current tick, then moves it on by the tick step (0 unless set).
    std::int32_t TickMs() override {
        ++tickReads_;
        const std::int32_t now = nowMs_;
        Advance(tickStep_);
        return now;
    }
    std::optional<std::int64_t> PerfFrequency() override { return perfFrequency_; }
    std::int64_t PerfCounter() override { return perfCounter_ += perfStep_; }
    void SleepMs(int ms) override {
        Advance(ms);
        ++sleeps_;
    }

    // The tick wraps at 32 bits like the real one.
    void Advance(std::int32_t ms) { nowMs_ = TickDifference(nowMs_, -ms); }
    void SetTick(std::int32_t ms) { nowMs_ = ms; }
    void SetPerfCounter(std::optional<std::int64_t> frequency, std::int64_t stepPerRead) {
        perfFrequency_ = frequency;
        perfStep_ = stepPerRead;
    }
    void SetTickStep(std::int32_t msPerRead) { tickStep_ = msPerRead; }
    int sleeps() const { return sleeps_; }
    long tickReads() const { return tickReads_; }

  private:
    std::int32_t nowMs_ = 0;
    std::optional<std::int64_t> perfFrequency_;
    std::int64_t perfCounter_ = 0;
    std::int64_t perfStep_ = 1;
    int sleeps_ = 0;
    std::int32_t tickStep_ = 0;
    long tickReads_ = 0;
};

class CountingPump : public EventPump {
  public:
    void ProcessEvents() override { ++calls; }
    int calls = 0;
};

// A fresh temporary folder, removed with everything in it when the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// The whole of a file, empty when it cannot be read.
std::string ReadFile(const std::string& path);
std::vector<std::uint8_t> ReadBytes(const std::string& path);

}  // namespace kpx::testing
