// The end of a session (a termination signal, a logout, the end of a Windows
// session) comes between actions, never inside one. A request only marks the
// session as ending; file work under way runs to its end first, so that the
// settings written then describe the save folder as it is.
//
// Any run of the program's actions uses it, with or without windows: a front
// end's event handler, or a plain signal handler (RequestEndOnSignals), calls
// Request; the actions hold a Work while they move saves and look at
// Requested between their steps.
#pragma once

#include <atomic>
#include <string>

namespace pelloquin {

class SessionEnd {
 public:
  // Marks the session as ending. One atomic store: safe in a signal handler
  // and from any thread.
  void Request() noexcept { requested_.store(true, std::memory_order_relaxed); }
  bool Requested() const noexcept { return requested_.load(std::memory_order_relaxed); }

  // File work the end must wait for, from its start to its end; `reason`
  // says what it does, for a system that asks the user to wait for it.
  class Work {
   public:
    Work(SessionEnd& end, std::string reason);
    ~Work();
    Work(const Work&) = delete;
    Work& operator=(const Work&) = delete;

   private:
    SessionEnd& end_;
    std::string outer_reason_;
  };

  bool Working() const { return depth_ > 0; }
  // What the innermost work under way does; empty when none is.
  const std::string& WorkReason() const { return reason_; }

 private:
  std::atomic<bool> requested_{false};
  int depth_ = 0;
  std::string reason_;
};

// A termination signal (SIGTERM and SIGINT, and SIGHUP where there is one)
// requests the end of `end`'s session, for a run without an event loop: the
// work under way goes on (interrupted system calls are restarted where the
// system allows it) and the run looks at Requested between its steps. For
// the run's whole life; a later call moves the signals to another SessionEnd.
void RequestEndOnSignals(SessionEnd& end);

}  // namespace pelloquin
