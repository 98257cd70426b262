// Asking the user for the save folder by having them pick the game's autosave.
#include "app/save_folder_prompt.h"

#include "core/paths.h"
#include "settings/ini_file.h"
#include "settings/settings.h"

namespace pelloquin {

std::string RemoveAutosaveName(std::string_view chosen_path) {
  std::string needle(1, kPathSeparator);
  needle += kAutosaveName;
  // The folder that holds the chosen autosave is all before its own name; an
  // earlier folder whose name starts with "autosave.ess" stays as it is.
  if (chosen_path.ends_with(needle)) {
    return std::string(chosen_path.substr(0, chosen_path.size() - needle.size()));
  }
  std::string folder;
  std::size_t start = 0;
  for (std::size_t found = chosen_path.find(needle); found != std::string_view::npos;
       found = chosen_path.find(needle, start)) {
    folder.append(chosen_path.substr(start, found - start));
    start = found + needle.size();
  }
  folder.append(chosen_path.substr(start));
  return folder;
}

Failures ChooseSaveFolder(SharedState& state, Prompt& prompt, SaveFolderPromptKind kind,
                          std::string_view start_folder) {
  prompt.ShowMessage(
      kind == SaveFolderPromptKind::FirstRun ? kFirstRunPromptMessage : kMenuPromptMessage,
      MessageIcon::None);
  std::optional<std::string> chosen = prompt.ChooseFile(kAutosaveName, kAutosaveName, start_folder);
  if (!chosen) return {};
  state.SavePath = RemoveAutosaveName(*chosen);
  if (kind == SaveFolderPromptKind::FirstRun) return {};

  // The failure names the settings file, so the user learns which file kept the old folder.
  Failure failure;
  if (WriteIni(kGeneralSection, kSavePathKey, state.SavePath, state.IniPath, &failure)) return {};
  return {failure};
}

}  // namespace pelloquin
