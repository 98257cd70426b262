// The program ends when its last window closes, or at once when the game is
// launched.
#pragma once

#include <functional>

namespace pelloquin {

class Lifetime {
 public:
  explicit Lifetime(std::function<void()> quit) : quit_(std::move(quit)) {}

  void WindowOpened() { ++open_windows_; }
  void WindowClosed() {
    if (open_windows_ > 0 && --open_windows_ == 0) EndNow();
  }
  void EndNow() {
    if (!ended_ && quit_) quit_();
    ended_ = true;
  }
  bool Ended() const { return ended_; }

 private:
  std::function<void()> quit_;
  int open_windows_ = 0;
  bool ended_ = false;
};

}  // namespace pelloquin
