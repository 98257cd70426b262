// Copies written back in batches.
#include "core/copy_batch.h"

#include <utility>

#include "core/paths.h"

namespace pelloquin {

std::size_t CopyBatch::Add(Folder& from, Folder& to, const std::string& name,
                           std::optional<std::size_t> after) {
  files::CopyRequest request;
  request.source = from.path / PathFromUtf8(name);
  request.target = to.path / PathFromUtf8(name);
  request.after = after;
  request.check_target = true;
  if (const files::FileInfo* listed = to.Find(name)) request.listed_target = *listed;
  filling_.requests.push_back(std::move(request));
  filling_.targets.push_back({&to, name});
  filling_.bytes += from.Find(name)->size;
  return filling_.requests.size() - 1;
}

void CopyBatch::EndSave() {
  ++filling_.saves;
  if (filling_.requests.empty()) {
    progress_.Advance(std::exchange(filling_.saves, 0));
  } else if (filling_.requests.size() >= kFiles || filling_.bytes >= kBytes) {
    Send();
  }
}

void CopyBatch::Finish() {
  Send();
  Land();
}

void CopyBatch::Send() {
  Batch next = std::exchange(filling_, {});
  if (!next.requests.empty()) next.in_flight = files::StartCopies(std::move(next.requests));
  Land();
  flying_ = std::move(next);
}

void CopyBatch::Land() {
  if (!flying_) return;
  Batch batch = std::move(*flying_);
  flying_.reset();
  if (batch.in_flight.state) {
    const auto requests = files::FinishCopies(std::move(batch.in_flight));
    for (std::size_t i = 0; i < requests.size(); ++i) {
      const files::CopyRequest& request = requests[i];
      if (!request.error) {
        batch.targets[i].folder->Record(batch.targets[i].name, request.written);
      } else if (request.error != files::Outcome::kCancelled &&
                 request.error != files::Outcome::kTargetChanged) {
        // A copy that waited for one that failed is told of by that one; a
        // target written since the listing stays as it was written, and the
        // next action compares it anew.
        AddFailure(failures_, request.target, request.error);
      }
    }
    files::SyncRenamedFolders();
  }
  progress_.Advance(batch.saves);
}

}  // namespace pelloquin
