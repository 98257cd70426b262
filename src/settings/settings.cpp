// What the settings file holds and when it is read and written.
#include "settings/settings.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <utility>

#include "core/paths.h"
#include "settings/ini_file.h"
#include "settings/ini_storage.h"
#include "settings/ini_text.h"

namespace pelloquin {

bool FileExists(const std::string& path) {
  try {
    std::error_code error;
    auto status = std::filesystem::status(PathFromUtf8(path), error);
    return !error && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
  } catch (...) {
    return false;
  }
}

SettingsLocation ChooseSettingsLocation(const std::string& program_folder,
                                        const std::string& user_folder) {
  const std::string beside =
      program_folder.empty() ? std::string(kIniFileName) : JoinPath(program_folder, kIniFileName);
  if (FileExists(beside)) return {beside, SettingsPlace::ExistingFile};
  if (ini::IsWritableFolder(program_folder)) return {beside, SettingsPlace::ProgramFolder};
  if (!user_folder.empty()) return {JoinPath(user_folder, kIniFileName), SettingsPlace::UserFolder};
  return {beside, SettingsPlace::NoWritableFolder};
}

SettingsLocation ChooseSettingsLocation() {
  return ChooseSettingsLocation(ini::ExecutableFolder(),
                                ini::UserSettingsFolder(ProcessEnvironment()));
}

std::string DescribeSettingsLocation(const SettingsLocation& location) {
  const char* rule = "";
  switch (location.place) {
    case SettingsPlace::ExistingFile:
      rule = "the settings file found beside the program";
      break;
    case SettingsPlace::ProgramFolder:
      rule = "beside the program, whose folder is writable";
      break;
    case SettingsPlace::UserFolder:
      rule = "in the user's settings folder, as the program's folder is not writable";
      break;
    case SettingsPlace::NoWritableFolder:
      rule =
          "beside the program, though its folder is not writable and the user has no settings "
          "folder";
      break;
  }
  return location.path + " (" + rule + ")";
}

namespace {

// A name holding a comma or a quote is stored in quotes, with its quotes
// doubled, so that it reads back whole; every other name is stored as it is.
bool NeedsQuotes(std::string_view name) {
  return name.find_first_of(",\"") != std::string_view::npos;
}

// The name of a quoted entry at the start of `list`, and where the entry
// ends (at a comma or the list's end); nothing when it is not a whole quoted
// entry (a hand edit), which is then read as it stands.
std::optional<std::pair<std::string, std::size_t>> ReadQuoted(std::string_view list) {
  std::string name;
  for (std::size_t i = 1; i < list.size(); ++i) {
    if (list[i] != '"') {
      name += list[i];
    } else if (i + 1 < list.size() && list[i + 1] == '"') {
      name += '"';
      ++i;
    } else if (i + 1 == list.size() || list[i + 1] == ',') {
      return std::make_pair(std::move(name), i + 1);
    } else {
      return std::nullopt;
    }
  }
  return std::nullopt;
}

}  // namespace

std::string JoinCharacterList(const SharedState& state) {
  std::string list;
  for (const std::string& slot : state.Chars) {
    if (NeedsQuotes(slot)) {
      list += '"';
      for (char c : slot) {
        if (c == '"') list += '"';
        list += c;
      }
      list += '"';
    } else {
      list += slot;
    }
    list += ',';
  }
  return list;
}

std::vector<std::string> SplitCharacterList(std::string_view list) {
  std::vector<std::string> pieces;
  if (list.empty()) return pieces;
  while (true) {
    std::size_t end = std::string_view::npos;
    auto quoted = list.starts_with('"') ? ReadQuoted(list) : std::nullopt;
    if (quoted) {
      pieces.push_back(std::move(quoted->first));
      end = quoted->second;
    } else {
      end = list.find(',');
      pieces.emplace_back(list.substr(0, end));
    }
    if (end >= list.size()) return pieces;
    list.remove_prefix(end + 1);
  }
}

Failures LoadSettings(SharedState& state) {
  Failures failures;
  std::string text;
  if (auto failure = ReadIniText(state.IniPath, text)) failures.push_back(std::move(*failure));
  auto read = [&](std::string_view section, std::string_view key) {
    return ini::FindValue(text, section, key).value_or("");
  };
  // Each step that fails is skipped and the next one runs; the field keeps its value.
  try {
    state.SavePath = read(kGeneralSection, kSavePathKey);
  } catch (...) {
  }
  std::string list;
  try {
    list = read(kCharsSection, kCharsKey);
  } catch (...) {
  }
  try {
    state.LoadedChar = read(kGeneralSection, kLoadedCharKey);
  } catch (...) {
  }
  try {
    std::vector<std::string> pieces = SplitCharacterList(list);
    std::size_t used = std::min<std::size_t>(pieces.size(), kCharSlotCount);
    for (std::size_t i = 0; i < used; ++i) state.Chars[i] = std::move(pieces[i]);
  } catch (...) {
  }
  return failures;
}

namespace {

// The file's text as it is now, which decides what it can store. A file that
// cannot be read stores nothing anyway, and its writes say why.
std::string CurrentText(const std::string& ini_path) {
  std::string text;
  ReadIniText(ini_path, text);
  return text;
}

}  // namespace

Failures UnstorableNames(const SharedState& state) {
  const std::string text = CurrentText(state.IniPath);
  Failures failures;
  for (const std::string& slot : state.Chars) {
    if (IsOccupied(slot) && !ini::CanEncodeIn(text, slot)) {
      failures.push_back({state.IniPath, "the system's code page cannot store the name " + slot +
                                             "; the character is found again from its folder "
                                             "at every start"});
    }
  }
  return UniqueFailures(failures);
}

Failures SaveSettings(const SharedState& state) {
  const std::string text = CurrentText(state.IniPath);
  auto storable = [&text](std::string_view value) { return ini::CanEncodeIn(text, value); };
  // The names that can be stored keep their order; empty slots fill the end.
  SharedState stored;
  std::size_t next = 0;
  for (const std::string& slot : state.Chars) {
    if (!IsOccupied(slot) || storable(slot)) stored.Chars[next++] = slot;
  }
  Failures failures;
  auto write = [&](std::string_view section, std::string_view key, std::string_view value) {
    Failure failure;
    if (!WriteIni(section, key, value, state.IniPath, &failure)) failures.push_back(failure);
  };
  write(kGeneralSection, kSavePathKey, state.SavePath);
  write(kGeneralSection, kLoadedCharKey, storable(state.LoadedChar) ? state.LoadedChar : "");
  write(kCharsSection, kCharsKey, JoinCharacterList(stored));
  return UniqueFailures(failures);
}

}  // namespace pelloquin
