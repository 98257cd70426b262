// Copies written back in batches, and the count of saves handled that the
// progress window shows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/action_listings.h"
#include "core/failure.h"
#include "core/file_transfer.h"
#include "core/save_folder.h"

namespace pelloquin {

// Counts the saves an action has handled, for the progress window.
struct Progress {
  const ProgressFn& report;
  std::size_t total = 0;
  std::size_t done = 0;

  void Advance(std::size_t saves = 1) {
    for (; saves > 0; --saves) {
      if (report) report(++done, total);
    }
  }
};

// Copies that the disk writes back together: every temporary file of a batch
// is written and its write-back started, then the batch is flushed while the
// next one is written, then renamed in order, and its folders are flushed
// once. A batch is bounded, and two at most are open, so open files and
// unflushed bytes stay few; a save counts as done once its files are copied.
// A copy whose target was written since its listing, or that waited for one
// that failed, is no failure of its own.
class CopyBatch {
 public:
  CopyBatch(Failures& failures, Progress& progress) : failures_(failures), progress_(progress) {}

  // Queues a copy of `name` from one folder into the other; its place in the
  // batch, for a copy that is to wait for it.
  std::size_t Add(Folder& from, Folder& to, const std::string& name,
                  std::optional<std::size_t> after = {});

  // Ends the files of one save.
  void EndSave();

  // Copies what is queued and waits until every copy is in place.
  void Finish();

 private:
  static constexpr std::size_t kFiles = 32;
  static constexpr std::uint64_t kBytes = std::uint64_t{128} * 1024 * 1024;

  struct Target {
    Folder* folder;
    std::string name;
  };
  struct Batch {
    std::vector<files::CopyRequest> requests;
    std::vector<Target> targets;
    std::uint64_t bytes = 0;
    std::size_t saves = 0;
    files::CopiesInFlight in_flight;
  };

  // Starts the batch being filled, then ends the one before it.
  void Send();
  void Land();

  Failures& failures_;
  Progress& progress_;
  Batch filling_;
  std::optional<Batch> flying_;  // written, being flushed
};

}  // namespace pelloquin
