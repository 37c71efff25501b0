#include "tools/commands/progress_bar.h"

#include <cstdio>
#include <string>

namespace {

constexpr int kBarWidth = 40;

}  // namespace

ProgressBar::ProgressBar(bool enabled, int64_t total) : enabled_(enabled && total > 0), total_(total) {}

void ProgressBar::update(int64_t done) {
  if (!enabled_) return;
  const int percent = static_cast<int>(done * 100 / total_);
  if (percent == shownPercent_) return;
  shownPercent_ = percent;
  const int filled = percent * kBarWidth / 100;
  const std::string bar = std::string(static_cast<size_t>(filled), '#') + std::string(kBarWidth - filled, '.');
  std::fprintf(stderr, "\rrendering [%s] %3d%%", bar.c_str(), percent);
  std::fflush(stderr);
}

void ProgressBar::clear() {
  if (!enabled_ || shownPercent_ < 0) return;
  std::fprintf(stderr, "\r%*s\r", kBarWidth + 20, "");
  std::fflush(stderr);
  shownPercent_ = -1;
}
