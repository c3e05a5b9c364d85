// A progress bar on standard error for long operations, drawn only when
// standard error is a terminal; otherwise every call does nothing, so
// scripts and logs get no control characters.
#pragma once

#include <string>

class ProgressBar {
 public:
  // label is UTF-8, shown before the bar.
  explicit ProgressBar(std::string label);
  // Ends the bar's line if it was drawn.
  ~ProgressBar();
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  // percent is clamped to 0..100; redraws only when the shown value changes.
  void Set(int percent);
  // The bar's new label; the percentage stays.
  void SetLabel(std::string label);
  // Ends the line now (before other output to standard error).
  void Finish();

  bool IsShown() const { return enabled_; }

 private:
  void Draw();

  std::string label_;
  bool enabled_;
  bool drawn_ = false;
  int percent_ = -1;
};
