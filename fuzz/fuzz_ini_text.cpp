// Fuzzes reading and editing INI text: any bytes as the file, any section,
// key and value. A value that may be stored must read back as written, and
// setting it must leave every other key as it was.
#include <algorithm>
#include <string>

#include "fuzz_check.h"
#include "settings/ini_text.h"
#include "settings/settings.h"

namespace {

using pelloquin::fuzz::SplitInput;
namespace ini = pelloquin::ini;

bool SameAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = (a[i] >= 'A' && a[i] <= 'Z') ? static_cast<char>(a[i] + 32) : a[i];
    char y = (b[i] >= 'A' && b[i] <= 'Z') ? static_cast<char>(b[i] + 32) : b[i];
    if (x != y) return false;
  }
  return true;
}

void CheckCharacterList(std::string_view list) {
  pelloquin::SharedState state;
  auto pieces = pelloquin::SplitCharacterList(list);
  for (std::size_t i = 0; i < pieces.size() && i < state.Chars.size(); ++i) {
    state.Chars[i] = pieces[i];
  }
  // Every slot followed by "," splits back into the slots and one empty piece.
  auto again = pelloquin::SplitCharacterList(pelloquin::JoinCharacterList(state));
  FUZZ_CHECK(again.size() == state.Chars.size() + 1);
  for (std::size_t i = 0; i < state.Chars.size(); ++i) FUZZ_CHECK(again[i] == state.Chars[i]);
  FUZZ_CHECK(again.back().empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto pieces = SplitInput(data, size, 4);
  std::string_view text = pieces[0];
  std::string_view section = pieces[1].empty() ? std::string_view("Oblivion_General") : pieces[1];
  std::string_view key = pieces[2].empty() ? std::string_view("SavePath") : pieces[2];
  std::string_view value = pieces[3];

  auto found = ini::FindValue(text, section, key);
  std::string_view line_end = ini::DetectLineEnd(text, "\n");
  FUZZ_CHECK(line_end == "\n" || line_end == "\r\n");
  CheckCharacterList(value);

  if (ini::CheckStorable(section, key, value)) return 0;
  std::string changed = ini::SetValue(text, section, key, value, "\n");
  FUZZ_CHECK(ini::FindValue(changed, section, key) == std::string(value));
  // Storing the same value again changes nothing.
  FUZZ_CHECK(ini::SetValue(changed, section, key, value, "\n") == changed);

  // Other keys of the same section, and the same key elsewhere, are untouched.
  for (std::string_view other_key : {"LoadedChar", "Chars", "SavePath", "x"}) {
    if (SameAscii(other_key, key)) continue;
    FUZZ_CHECK(ini::FindValue(changed, section, other_key) ==
               ini::FindValue(text, section, other_key));
  }
  for (std::string_view other_section : {"Oblivion_General", "Oblivion_Chars", "a"}) {
    if (SameAscii(other_section, section)) continue;
    FUZZ_CHECK(ini::FindValue(changed, other_section, key) ==
               ini::FindValue(text, other_section, key));
  }
  // No line is added unless the key was missing, and never more than two.
  auto lines = [](std::string_view t) { return std::count(t.begin(), t.end(), '\n'); };
  if (found) FUZZ_CHECK(lines(changed) == lines(text));
  FUZZ_CHECK(lines(changed) <= lines(text) + 3);
  return 0;
}
