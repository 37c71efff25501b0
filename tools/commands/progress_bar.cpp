#include "tools/commands/progress_bar.h"

#include <algorithm>
#include <cstdio>

namespace {

// Narrow enough that the longest line (an hour left, five-digit counts) fits 80 columns.
constexpr int kBarWidth = 24;

// "1:05" or "2:03:05".
std::string clockTime(int64_t seconds) {
  char text[32];
  if (seconds >= 3600) {
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
  } else {
    std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(seconds / 60),
                  static_cast<long long>(seconds % 60));
  }
  return text;
}

}  // namespace

ProgressBar::ProgressBar(bool enabled, const char* unit)
    : enabled_(enabled), unit_(unit != nullptr ? unit : ""), start_(std::chrono::steady_clock::now()) {}

void ProgressBar::update(int64_t done, int64_t total) {
  if (!enabled_ || total == 0) return;
  const int percent = total > 0 ? static_cast<int>(done * 100 / total) : 0;
  int64_t secondsLeft = -1;
  if (done > 0 && total > 0) {
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    secondsLeft = static_cast<int64_t>(elapsed * static_cast<double>(total - done) / static_cast<double>(done) + 0.5);
  }
  const bool countChanged = !unit_.empty() && done != done_;
  if (percent == shownPercent_ && secondsLeft == shownSecondsLeft_ && !countChanged) return;
  done_ = done;
  total_ = total;
  shownPercent_ = percent;
  shownSecondsLeft_ = secondsLeft;
  redraw();
}

void ProgressBar::redraw() {
  if (total_ < 0) {
    drawLine("rendering: " + std::to_string(done_) + " " + unit_ + " done");
    return;
  }
  const int filled = shownPercent_ * kBarWidth / 100;
  std::string line = "rendering [" + std::string(static_cast<size_t>(filled), '#') +
                     std::string(static_cast<size_t>(kBarWidth - filled), '.') + "] ";
  char share[16];
  std::snprintf(share, sizeof share, "%3d%%", shownPercent_);
  line += share;
  if (!unit_.empty()) line += " " + std::to_string(done_) + "/" + std::to_string(total_) + " " + unit_;
  if (shownSecondsLeft_ >= 0) line += ", " + clockTime(shownSecondsLeft_) + " left";
  drawLine(line);
}

void ProgressBar::drawLine(const std::string& line) {
  // Padded to cover a longer line drawn before.
  std::fprintf(stderr, "\r%-*s", static_cast<int>(shownLength_), line.c_str());
  std::fflush(stderr);
  shownLength_ = std::max(shownLength_, line.size());
}

void ProgressBar::clear() {
  if (shownLength_ == 0) return;
  std::fprintf(stderr, "\r%*s\r", static_cast<int>(shownLength_), "");
  std::fflush(stderr);
  shownLength_ = 0;
  shownPercent_ = -1;
}
