// A deadline for a test that waits on a window: a modal dialog nobody answers
// would otherwise wait for ever, until the test runner's own timeout kills the
// program without saying what it was waiting for.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

namespace pelloquin::testing {

// Until it is destroyed, ends the test program with a failure that names what
// it waited for once `limit` has passed. Meant for the wait a test cannot
// end itself (a modal loop); a test that can give up on its own says so first.
class Watchdog {
 public:
  Watchdog(std::string waited_for, std::chrono::seconds limit)
      : waited_for_(std::move(waited_for)), thread_([this, limit] { Watch(limit); }) {}
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
    }
    woken_.notify_all();
    thread_.join();
  }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  void Watch(std::chrono::seconds limit) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (woken_.wait_for(lock, limit, [this] { return done_; })) return;
    std::fprintf(stderr, "FAILED: gave up after %lld s waiting for %s\n",
                 static_cast<long long>(limit.count()), waited_for_.c_str());
    std::fflush(stderr);
    std::_Exit(1);
  }

  std::string waited_for_;
  std::mutex mutex_;
  std::condition_variable woken_;
  bool done_ = false;
  std::thread thread_;
};

}  // namespace pelloquin::testing
