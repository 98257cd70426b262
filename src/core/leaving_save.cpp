// A file taken out of the save folder into its character's folder.
#include "core/leaving_save.h"

#include <filesystem>

#include "core/file_transfer.h"
#include "core/paths.h"

namespace pelloquin {

namespace fs = std::filesystem;

// the game wrote meanwhile stays for the next run to sort.
bool MoveInto(Folder& from, Folder& to, Holding& holding, const std::string& character,
              const std::string& name, Failures& failures) {
  const files::FileInfo* source = from.Find(name);
  if (source == nullptr) return false;
  fs::path source_path = from.path / PathFromUtf8(name);
  fs::path target_path = to.path / PathFromUtf8(name);
  const files::FileInfo* target = to.Find(name);
  if (target != nullptr && files::SameStamp(*source, *target)) {
    std::error_code error = holding.Take(source_path, *source, character);
    if (error == files::Outcome::kChanged) {
      AddFailure(failures, source_path, error);
      return false;
    }
    // A save of that name still waits there, or no holding folder of the
    // program's own can be had: this one is removed now.
    if (error) error = files::RemoveFileIfUnchanged(source_path, *source, target_path, *target);
    if (error) {
      AddFailure(failures, source_path, error);
      return false;
    }
    from.files.erase(name);
    return true;
  }
  std::error_code error = files::MoveFileIfUnchanged(source_path, target_path, *source);
  if (!error) {
    to.Record(name, *source);
    from.files.erase(name);
    return true;
  }
  if (error == files::Outcome::kChanged) {
    AddFailure(failures, source_path, error);
    return false;
  }
  // Different file systems, or a rename refused: copy and check it instead.
  files::FileInfo written;
  if (auto error = files::CopyFileSafely(source_path, target_path, &written)) {
    AddFailure(failures, target_path, error);
    return false;
  }
  to.Record(name, written);
  if (!files::SameStamp(*source, written)) {
    failures.push_back({Utf8FromPath(target_path), "the copy does not match the save"});
    return false;
  }
  if (auto error = files::RemoveFileIfUnchanged(source_path, *source, target_path, written)) {
    AddFailure(failures, source_path, error);
    return false;
  }
  from.files.erase(name);
  return true;
}

}  // namespace pelloquin
