// When file work shows a progress window, and how often it is repainted.
#include "app/progress_rule.h"

#include <algorithm>
#include <utility>

namespace pelloquin {

ProgressRule::ProgressRule(MainView& view, std::string label, SteadyClock clock)
    : view_(view), label_(std::move(label)), clock_(std::move(clock)), started_(clock_()) {}

ProgressRule::~ProgressRule() {
  if (shown_) view_.EndProgress();
}

void ProgressRule::Report(std::size_t done, std::size_t total) {
  const bool finished = done >= total;
  const auto now = clock_();
  if (!shown_) {
    // Work that ends before it is noticed needs no window.
    if (finished || now - started_ < kProgressDelay) return;
    view_.BeginProgress();
    shown_ = true;
  } else if (!finished && now - shown_at_ < kProgressInterval) {
    // Each repaint lets the window system run; thousands of them cost more
    // than the file work they report.
    return;
  }
  shown_at_ = now;
  done = std::min(done, total);
  view_.AdvanceProgress(
      label_ + "\n" + std::to_string(done) + " of " + std::to_string(total) + " saves", done,
      total);
}

}  // namespace pelloquin
