#include "cli/progress_bar.h"

#include <algorithm>
#include <ostream>

namespace kpx::cli {

namespace {
constexpr int kWidth = 30;
}

ProgressBar::~ProgressBar() {
    EndLine();
}

// A new maximum opens the next transfer (its status follows): the last one's line is left
// standing.
void ProgressBar::SetProgressMax(int maximum) {
    EndLine();
    label_.clear();
    drawnPercent_ = -1;
    maximum_ = maximum;
}

// "Writing Now......." names the bar "Writing".
void ProgressBar::SetStatus(const std::string& text) {
    if (!text.empty()) label_ = text.substr(0, text.find(' '));
}

void ProgressBar::SetProgressValue(int position) {
    position_ = position;
    if (!label_.empty()) Draw();
}

void ProgressBar::Draw() {
    const int percent = maximum_ > 0 ? std::clamp(position_ * 100 / maximum_, 0, 100) : 0;
    if (percent == drawnPercent_) return;
    drawnPercent_ = percent;
    const int filled = percent * kWidth / 100;
    err_ << "\r" << label_ << std::string(10 - std::min<std::size_t>(label_.size(), 9), ' ') << "["
         << std::string(static_cast<std::size_t>(filled), '#')
         << std::string(static_cast<std::size_t>(kWidth - filled), ' ') << "] " << percent
         << "%" << std::flush;
    drawn_ = true;
}

void ProgressBar::EndLine() {
    if (drawn_) err_ << "\n" << std::flush;
    drawn_ = false;
}

}  // namespace kpx::cli
