// When file work shows a progress window: only once it has run half a second,
// and then at most about twenty times a second, whatever the number of saves.
#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "app/views.h"
#include "core/save_folder.h"

namespace pelloquin {

using SteadyClock = std::function<std::chrono::steady_clock::time_point()>;

inline constexpr std::chrono::milliseconds kProgressDelay{500};
inline constexpr std::chrono::milliseconds kProgressInterval{50};

class ProgressRule {
 public:
  // `label` heads the window's text, above the count of saves.
  ProgressRule(MainView& view, std::string label, SteadyClock clock);
  // Closes the window if it was shown.
  ~ProgressRule();
  ProgressRule(const ProgressRule&) = delete;
  ProgressRule& operator=(const ProgressRule&) = delete;

  void Report(std::size_t done, std::size_t total);
  ProgressFn Callback() {
    return [this](std::size_t done, std::size_t total) { Report(done, total); };
  }

 private:
  MainView& view_;
  std::string label_;
  SteadyClock clock_;
  std::chrono::steady_clock::time_point started_;
  std::chrono::steady_clock::time_point shown_at_;
  bool shown_ = false;
};

}  // namespace pelloquin
