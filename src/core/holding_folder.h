// The holding folder, both halves: Holding takes a save that leaves the save
// folder there while an action runs, and FinishRemovals (save_folder.h),
// once the action has returned, removes each whose copy matches or puts it
// back. Only a real folder with the program's mark is used; whatever else is
// there is left as it is.
#pragma once

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <system_error>

#include "core/file_transfer.h"

namespace pelloquin {

// The hidden folder where the saves whose copies match wait for their
// removal, a sub-folder per character; made, with its mark, when the first
// save comes. One the program did not make is not used: the saves then
// leave at once.
class Holding {
 public:
  explicit Holding(const std::filesystem::path& save_folder);

  // Renames the save there, while it is still the file listed; never over a
  // save of that name waiting there already.
  std::error_code Take(const std::filesystem::path& save, const files::FileInfo& info,
                       const std::string& character);

 private:
  std::error_code Open();

  std::filesystem::path path_;
  std::optional<std::error_code> opened_;  // once the first save comes
  std::set<std::string> made_;             // the characters' sub-folders made so far
};

}  // namespace pelloquin
