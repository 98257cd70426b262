// The removal of the saves waiting in the holding folder, on a thread of its
// own, so that the window is usable again before they are gone.
#pragma once

#include <string>
#include <thread>

#include "core/failure.h"

namespace pelloquin {

class DeferredRemoval {
 public:
  DeferredRemoval() = default;
  // Waits for the removal under way: a run ends with its holding folder done.
  ~DeferredRemoval();
  DeferredRemoval(const DeferredRemoval&) = delete;
  DeferredRemoval& operator=(const DeferredRemoval&) = delete;

  // Runs FinishRemovals on the save folder in the background, once the
  // removal under way has ended.
  void Start(std::string save_path);
  // Waits until the removal under way has ended, so that the next action
  // never runs beside it; what it could not do since the last call.
  Failures Wait();

 private:
  void Join();

  std::thread thread_;
  Failures found_;     // written by the thread until it is joined
  Failures reported_;  // joined, not yet handed out
};

}  // namespace pelloquin
