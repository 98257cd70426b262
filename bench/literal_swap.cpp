// Archive and restore as a straightforward program would write them: list,
// then copy (replacing) and delete file by file.
#include "literal_swap.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/paths.h"
#include "core/save_header.h"
#include "core/save_names.h"

namespace pelloquin::bench {

namespace fs = std::filesystem;

namespace {

std::vector<std::string> ListSaveNames(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    std::string name = Utf8FromPath(entry.path().filename());
    if (entry.is_regular_file() && HasSaveExtension(name) && !name.starts_with(".")) {
      names.push_back(std::move(name));
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The save and whichever co-saves lie beside it.
std::vector<std::string> WithCoSaves(const fs::path& folder, const std::string& save) {
  std::vector<std::string> group{save};
  const std::string stem = save.substr(0, save.size() - 4);
  for (const char* extension : {".obse", ".pluggy"}) {
    if (fs::exists(folder / PathFromUtf8(stem + extension))) group.push_back(stem + extension);
  }
  return group;
}

void Copy(const fs::path& source, const fs::path& target, WriteCount& written) {
  fs::copy_file(source, target, fs::copy_options::overwrite_existing);
  written.files += 1;
  written.bytes += fs::file_size(target);
}

}  // namespace

void ArchiveSavesLiterally(const SharedState& state, WriteCount& written) {
  const fs::path saves = PathFromUtf8(state.SavePath);
  for (const auto& save : ListSaveNames(saves)) {
    if (!IsQualifyingSave(save)) continue;
    const fs::path folder = saves / PathFromUtf8(CharacterOfSave(state.SavePath, save));
    const auto group = WithCoSaves(saves, save);
    for (const auto& file : group) {
      Copy(saves / PathFromUtf8(file), folder / PathFromUtf8(file), written);
    }
    if (!StaysInSaveFolder(save, state.LoadedChar)) {
      for (const auto& file : group) fs::remove(saves / PathFromUtf8(file));
    }
  }
}

void RestoreCharacterLiterally(const SharedState& state, std::string_view name,
                               WriteCount& written) {
  const fs::path saves = PathFromUtf8(state.SavePath);
  const fs::path folder = PathFromUtf8(JoinPath(state.SavePath, name));
  for (const auto& save : ListSaveNames(folder)) {
    if (!IsQualifyingSave(save)) continue;
    for (const auto& file : WithCoSaves(folder, save)) {
      Copy(folder / PathFromUtf8(file), saves / PathFromUtf8(file), written);
    }
  }
}

void LoadCharacterLiterally(SharedState& state, std::string_view name, WriteCount& written) {
  state.LoadedChar = name;
  RestoreCharacterLiterally(state, name, written);
  ArchiveSavesLiterally(state, written);
}

}  // namespace pelloquin::bench
