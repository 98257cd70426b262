// Reading a save's file name.
#include "core/save_names.h"

#include "core/ascii_case.h"
#include "core/utf8.h"

namespace pelloquin {

namespace {

std::string_view TrimSpaces(std::string_view text) {
  auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  auto last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

#ifdef _WIN32
bool IsReservedDeviceName(std::string_view name) {
  // "CON.txt" names the device as well: only the part before the first dot counts.
  std::string_view stem = TrimSpaces(name.substr(0, name.find('.')));
  for (std::string_view device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
    if (EqualsIgnoringAsciiCase(stem, device)) return true;
  }
  if (stem.size() < 4 || !(EqualsIgnoringAsciiCase(stem.substr(0, 3), "COM") ||
                           EqualsIgnoringAsciiCase(stem.substr(0, 3), "LPT"))) {
    return false;
  }
  // A digit, or a superscript one, two or three, which Windows takes for digits here.
  std::string_view number = stem.substr(3);
  return (number.size() == 1 && number[0] >= '0' && number[0] <= '9') || number == "\xC2\xB9" ||
         number == "\xC2\xB2" || number == "\xC2\xB3";
}
#endif

}  // namespace

bool IsQualifyingSave(std::string_view file_name) {
  return file_name.find('-') != std::string_view::npos;
}

std::string CharacterNameOf(std::string_view file_name) {
  auto first = file_name.find('-');
  if (first == std::string_view::npos) return {};
  std::string_view rest = file_name.substr(first + 1);
  return std::string(TrimSpaces(rest.substr(0, rest.find('-'))));
}

bool MayCutHyphenatedName(std::string_view file_name) {
  auto first = file_name.find('-');
  if (first == std::string_view::npos) return false;
  auto second = file_name.find('-', first + 1);
  return second != std::string_view::npos && file_name[second - 1] != ' ';
}

std::string CharacterNameOf(std::string_view file_name, std::string_view player_name) {
  std::string rule_name = CharacterNameOf(file_name);
  std::string_view name = TrimSpaces(player_name);
  if (!MayCutHyphenatedName(file_name) || !name.starts_with(rule_name + "-") ||
      file_name.find(" - " + std::string(name) + " - ") == std::string_view::npos) {
    return rule_name;
  }
  return std::string(name);
}

std::size_t PositionOf(std::string_view file_name, std::string_view loaded) {
  auto found = file_name.find(loaded);
  return found == std::string_view::npos ? 0 : found + 1;
}

bool StaysInSaveFolder(std::string_view file_name, std::string_view loaded_char) {
  return PositionOf(file_name, loaded_char) >= kKeepPosition;
}

bool HasControlCharacter(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x20 || byte == 0x7F) return true;
    // U+0080 to U+009F, the C1 controls, in UTF-8.
    if (byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
        static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
      return true;
    }
  }
  return false;
}

std::string_view FolderNameProblem(std::string_view name) {
  if (name.empty()) return "it is empty";
  if (name == "." || name == "..") return "it names a folder that is there already";
  if (EqualsIgnoringAsciiCase(name, kHoldingFolderName)) return "Pelloquin keeps that folder";
  if (name.find_first_of("/\\") != std::string_view::npos) return "it holds a path separator";
  if (HasControlCharacter(name)) return "it holds a control character";
  if (!IsValidUtf8(name)) return "it is not valid UTF-8";
#ifdef _WIN32
  if (name.find_first_of(":*?\"<>|") != std::string_view::npos) {
    return "Windows forbids one of its characters in names";
  }
  if (name.back() == ' ' || name.back() == '.')
    return "Windows drops the dot or space it ends with";
  if (IsReservedDeviceName(name)) return "it names a device on Windows";
#endif
  return {};
}

bool IsUsableFolderName(std::string_view name) {
  return FolderNameProblem(name).empty();
}

bool IsCharacterName(std::string_view name) {
  return name.empty() || IsUsableFolderName(name);
}

bool HasSaveExtension(std::string_view file_name) {
  constexpr std::string_view kExtension = ".ess";
  return file_name.size() > kExtension.size() &&
         EqualsIgnoringAsciiCase(file_name.substr(file_name.size() - kExtension.size()),
                                 kExtension);
}

}  // namespace pelloquin
