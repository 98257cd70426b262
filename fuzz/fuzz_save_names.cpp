// Fuzzes the rules that read a save's file name: the character name taken
// from it (alone and with a header's name), the position rule, the
// folder-name check and the character table.
// A name the check accepts must make a folder directly inside the save folder.
#include <algorithm>
#include <string>

#include "core/paths.h"
#include "core/save_names.h"
#include "core/shared_state.h"
#include "fuzz_check.h"

namespace {

using namespace pelloquin;

void CheckCharacterName(std::string_view file_name) {
  std::string name = CharacterNameOf(file_name);
  FUZZ_CHECK(IsQualifyingSave(file_name) == (file_name.find('-') != std::string_view::npos));
  if (!IsQualifyingSave(file_name)) FUZZ_CHECK(name.empty());
  FUZZ_CHECK(name.find('-') == std::string::npos);
  FUZZ_CHECK(name.empty() || (name.front() != ' ' && name.back() != ' '));
  FUZZ_CHECK(file_name.find(name) != std::string_view::npos);
}

// The header's name replaces the rule's only to make it longer across a
// hyphen, and only when the file name holds it whole.
void CheckHeaderName(std::string_view file_name, std::string_view player_name) {
  std::string rule_name = CharacterNameOf(file_name);
  std::string name = CharacterNameOf(file_name, player_name);
  if (name == rule_name) return;
  FUZZ_CHECK(MayCutHyphenatedName(file_name));
  FUZZ_CHECK(name.starts_with(rule_name + "-"));
  FUZZ_CHECK(file_name.find(" - " + name + " - ") != std::string_view::npos);
  FUZZ_CHECK(name.front() != ' ' && name.back() != ' ');
}

void CheckPosition(std::string_view file_name, std::string_view loaded) {
  std::size_t position = PositionOf(file_name, loaded);
  if (position == 0) {
    FUZZ_CHECK(file_name.find(loaded) == std::string_view::npos);
  } else {
    FUZZ_CHECK(file_name.find(loaded) == position - 1);
  }
  FUZZ_CHECK(StaysInSaveFolder(file_name, loaded) == (position >= kKeepPosition));
}

void CheckFolderName(std::string_view name) {
  if (!IsUsableFolderName(name)) return;
  FUZZ_CHECK(!name.empty() && name != "." && name != "..");
  FUZZ_CHECK(name.find_first_of("/\\") == std::string_view::npos);
  FUZZ_CHECK(!HasControlCharacter(name));
#ifdef _WIN32
  const std::string base = "C:\\Saves";
#else
  const std::string base = "/Saves";
#endif
  std::filesystem::path folder = PathFromUtf8(JoinPath(base, name));
  FUZZ_CHECK(folder.lexically_normal().parent_path() == PathFromUtf8(base));
  FUZZ_CHECK(Utf8FromPath(folder.filename()) == name);
}

void CheckTable(std::string_view name) {
  SharedState state;
  RegisterCharacter(state, name);
  RegisterCharacter(state, name);
  bool stored = IsCharacterName(name) && name != kEmptySlot;
  FUZZ_CHECK(state.Chars[0] == (stored ? std::string(name) : std::string(kEmptySlot)));
  FUZZ_CHECK(state.Chars[1] == kEmptySlot);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto pieces = fuzz::SplitInput(data, size, 3);
  std::string_view file_name = pieces[0];
  CheckCharacterName(file_name);
  CheckHeaderName(file_name, pieces[2]);
  CheckPosition(file_name, pieces[1]);
  CheckFolderName(file_name);
  std::string name = CharacterNameOf(file_name);
  CheckFolderName(name);
  CheckTable(name);
  return 0;
}
