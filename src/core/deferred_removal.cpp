// The background removal of the holding folder's saves.
#include "core/deferred_removal.h"

#include <exception>
#include <utility>

#include "core/save_folder.h"

namespace pelloquin {

DeferredRemoval::~DeferredRemoval() {
  Join();
}

void DeferredRemoval::Start(std::string save_path) {
  Join();
  thread_ = std::thread([this, save_path = std::move(save_path)] {
    try {
      found_ = FinishRemovals(save_path);
    } catch (const std::exception& error) {
      // Nothing is lost: what was not removed waits for the next run.
      found_ = {{save_path, error.what()}};
    }
  });
}

Failures DeferredRemoval::Wait() {
  Join();
  return std::exchange(reported_, {});
}

void DeferredRemoval::Join() {
  if (!thread_.joinable()) return;
  thread_.join();
  reported_.insert(reported_.end(), std::make_move_iterator(found_.begin()),
                   std::make_move_iterator(found_.end()));
  found_.clear();
}

}  // namespace pelloquin
