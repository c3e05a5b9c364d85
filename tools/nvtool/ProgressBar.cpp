#include "ProgressBar.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

constexpr int kWidth = 30;

}  // namespace

ProgressBar::ProgressBar(std::string label) : label_(std::move(label)), enabled_(isatty(STDERR_FILENO) == 1) {}

ProgressBar::~ProgressBar() {
  Finish();
}

void ProgressBar::Set(int percent) {
  percent = std::clamp(percent, 0, 100);
  if (!enabled_ || percent == percent_) return;
  percent_ = percent;
  Draw();
}

void ProgressBar::SetLabel(std::string label) {
  label_ = std::move(label);
  if (enabled_ && percent_ >= 0) Draw();
}

void ProgressBar::Finish() {
  if (drawn_) std::fputc('\n', stderr);
  drawn_ = false;
  percent_ = -1;
}

void ProgressBar::Draw() {
  const int filled = percent_ * kWidth / 100;
  std::string bar(static_cast<size_t>(filled), '#');
  bar.append(static_cast<size_t>(kWidth - filled), '.');
  // \r and erase-line keep one line however often it is redrawn.
  std::fprintf(stderr, "\r\033[K%s [%s] %3d%%", label_.c_str(), bar.c_str(), percent_);
  std::fflush(stderr);
  drawn_ = true;
}
