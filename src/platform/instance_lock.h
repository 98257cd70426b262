// One running copy per settings file: a second copy started while one runs
// finds the lock held and ends. The system lets go of the lock when its
// process ends, however it ends, so a copy that crashed blocks no one.
#pragma once

#include <memory>
#include <string>

#include "core/failure.h"

namespace pelloquin {

class InstanceLock {
 public:
  enum class State {
    Held,           // by this copy, until the object is destroyed
    HeldElsewhere,  // by another running copy
    // The system could not take it. The program goes on without it: two
    // copies at once are rare, while a refusal on a file system without
    // locks would keep the user from their saves for good.
    Failed,
  };

  // The lock of the settings file at `ini_path`. On POSIX an advisory lock on
  // "<ini_path>.lock" beside it (the folder must exist), a file that holds
  // the owner's process id and is removed at release; on Windows a mutex
  // named after the file's full path, so copies kept in different folders
  // do not block each other.
  explicit InstanceLock(const std::string& ini_path);
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  State state() const { return state_; }
  // When Failed: the lock's path and the system's reason.
  const Failure& failure() const { return failure_; }

 private:
  struct Held;  // what each system keeps while the lock is held

  State state_ = State::Failed;
  Failure failure_;
  std::unique_ptr<Held> held_;
};

}  // namespace pelloquin
