// Finding a character's newest save.
#include "core/latest_save.h"

#include <map>

#include "core/file_transfer.h"
#include "core/paths.h"
#include "core/save_folder.h"
#include "core/save_names.h"

namespace pelloquin {

namespace {

struct Found {
  const std::string* folder;
  std::int64_t mtime;
};

std::vector<files::FileInfo> QualifyingSaves(const std::string& folder) {
  std::vector<files::FileInfo> entries;
  if (files::ListFolder(PathFromUtf8(folder), entries)) return {};
  std::erase_if(entries, [](const files::FileInfo& entry) {
    return entry.hidden || !HasSaveExtension(entry.name) || !IsQualifyingSave(entry.name);
  });
  return entries;
}

}  // namespace

LatestSave FindLatestSave(const SharedState& state, std::string_view name) {
  LatestSave latest;
  if (!CheckSaveFolder(state.SavePath).empty() || !IsUsableFolderName(name)) return latest;
  const std::string folder = JoinPath(state.SavePath, name);
  std::map<std::string, Found> saves;
  for (const auto& save : QualifyingSaves(folder)) saves[save.name] = {&folder, save.mtime};
  if (name == state.LoadedChar) {
    for (const auto& save : QualifyingSaves(state.SavePath)) {
      auto archived = saves.find(save.name);
      if (archived == saves.end()) {
        if (CharacterOfSave(state.SavePath, save.name) == name) {
          saves[save.name] = {&state.SavePath, save.mtime};
        }
      } else if (save.mtime > archived->second.mtime) {
        archived->second = {&state.SavePath, save.mtime};
      }
    }
  }
  latest.save_count = saves.size();
  auto newest = saves.end();
  for (auto it = saves.begin(); it != saves.end(); ++it) {
    if (newest == saves.end() || it->second.mtime > newest->second.mtime) newest = it;
  }
  if (newest == saves.end()) return latest;
  latest.file_name = newest->first;
  const std::string path = JoinPath(*newest->second.folder, newest->first);
  std::error_code error;
  const auto modified = std::filesystem::last_write_time(PathFromUtf8(path), error);
  if (!error) {
    latest.modified = std::chrono::time_point_cast<std::chrono::system_clock::duration>(
        std::chrono::file_clock::to_sys(modified));
  }
  latest.header = ReadSaveHeader(path);
  return latest;
}

}  // namespace pelloquin
