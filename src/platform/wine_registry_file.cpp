// Reading Wine's registry files, following the rules Wine's own loader applies.
#include "platform/wine_registry_file.h"

#include "core/ascii_case.h"
#include "core/little_endian.h"
#include "core/utf16.h"
#include "core/utf8.h"
#include "platform/registry.h"

namespace pelloquin {

namespace {

constexpr std::string_view kHeader = "WINE REGISTRY Version 2";

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string FoldName(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) c = AsciiLower(c);
  return folded;
}

// Hands out the file's lines one at a time, without their line ends.
class LineReader {
 public:
  LineReader(std::string_view text, std::size_t pos) : text_(text), pos_(pos) {}

  // Where the next line starts.
  std::size_t position() const { return pos_; }

  bool Next(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    std::size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) end = text_.size();
    line = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return true;
  }

 private:
  std::string_view text_;
  std::size_t pos_;
};

// Wine's one-letter escapes and the characters they stand for.
constexpr std::pair<char, char16_t> kLetterEscapes[] = {{'a', u'\a'}, {'b', u'\b'}, {'e', u'\x1b'},
                                                        {'f', u'\f'}, {'n', u'\n'}, {'r', u'\r'},
                                                        {'t', u'\t'}, {'v', u'\v'}};

// The number in at most `max_digits` digits of `base` at `pos`, moved past
// them; `digits` tells how many there were.
unsigned ReadDigits(std::string_view line, std::size_t& pos, int base, int max_digits,
                    int& digits) {
  unsigned number = 0;
  for (digits = 0; digits < max_digits && pos < line.size(); ++digits, ++pos) {
    const int digit = HexDigit(line[pos]);
    if (digit < 0 || digit >= base) break;
    number = number * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
  }
  return number;
}

// Appends what the escape after a backslash at `pos` stands for, moving past it.
void AppendEscaped(std::string_view line, std::size_t& pos, std::u16string& out) {
  const char c = line[pos];
  for (const auto& [letter, unit] : kLetterEscapes) {
    if (c == letter) {
      out.push_back(unit);
      ++pos;
      return;
    }
  }
  int digits = 0;
  if (c == 'x') {
    ++pos;
    const unsigned unit = ReadDigits(line, pos, 16, 4, digits);
    out.push_back(digits == 0 ? u'x' : static_cast<char16_t>(unit));
  } else if (c >= '0' && c <= '7') {
    out.push_back(static_cast<char16_t>(ReadDigits(line, pos, 8, 3, digits)));
  } else {
    // Any other escaped character stands for itself: \\, \", \] and the rest.
    AppendUtf16(out, DecodeUtf8(line, pos));
  }
}

// A quoted text from just after its opening delimiter up to `end_char`, with
// Wine's escapes; `pos` is left after the closing delimiter. Nothing when the
// line ends first.
std::optional<std::u16string> ParseQuoted(std::string_view line, std::size_t& pos, char end_char) {
  std::u16string out;
  while (pos < line.size() && line[pos] != end_char) {
    if (line[pos] == '\\') {
      if (++pos >= line.size()) return std::nullopt;
      AppendEscaped(line, pos, out);
    } else if (static_cast<unsigned char>(line[pos]) < 0x80) {
      // ASCII, most of any file, needs no decoding.
      out.push_back(static_cast<char16_t>(line[pos++]));
    } else {
      AppendUtf16(out, DecodeUtf8(line, pos));
    }
  }
  if (pos >= line.size()) return std::nullopt;
  ++pos;
  return out;
}

void SkipSpaces(std::string_view line, std::size_t& pos) {
  while (pos < line.size() && IsBlank(line[pos])) ++pos;
}

bool Consume(std::string_view line, std::size_t& pos, std::string_view expected) {
  if (line.substr(pos).substr(0, expected.size()) != expected) return false;
  pos += expected.size();
  return true;
}

// Hex digits up to `max_digits`; nothing when there are none or the number is too big.
std::optional<std::uint32_t> ParseHexNumber(std::string_view line, std::size_t& pos,
                                            int max_digits) {
  std::uint64_t number = 0;
  int digits = 0;
  while (pos < line.size() && HexDigit(line[pos]) >= 0) {
    if (++digits > max_digits) return std::nullopt;
    number = number * 16 + static_cast<std::uint64_t>(HexDigit(line[pos]));
    ++pos;
  }
  if (digits == 0 || number > 0xFFFFFFFFu) return std::nullopt;
  return static_cast<std::uint32_t>(number);
}

// Comma-separated hex bytes; a line ending in a backslash goes on in the next
// line. Nothing when a byte is malformed or the file ends inside the list.
std::optional<std::vector<std::uint8_t>> ParseHexBytes(std::string_view line, std::size_t pos,
                                                       LineReader& lines) {
  std::vector<std::uint8_t> bytes;
  for (;;) {
    while (pos < line.size() && HexDigit(line[pos]) >= 0) {
      auto byte = ParseHexNumber(line, pos, 2);
      if (!byte) return std::nullopt;
      bytes.push_back(static_cast<std::uint8_t>(*byte));
      SkipSpaces(line, pos);
      if (pos < line.size() && line[pos] == ',') ++pos;
      SkipSpaces(line, pos);
    }
    if (pos >= line.size() || line[pos] != '\\') return bytes;
    if (!lines.Next(line)) return std::nullopt;
    pos = 0;
    SkipSpaces(line, pos);
  }
}

std::vector<std::uint8_t> TextData(std::u16string_view text) {
  std::vector<std::uint8_t> data;
  AppendUtf16Le(data, text);
  AppendUtf16Le(data, std::u16string_view(u"\0", 1));
  return data;
}

// The part of a value line after "=": its type and data.
std::optional<RegistryFileValue> ParseData(std::string_view line, std::size_t pos,
                                           LineReader& lines) {
  RegistryFileValue value;
  std::optional<std::uint32_t> type;
  if (Consume(line, pos, "\"") || Consume(line, pos, "str:\"")) {
    type = kRegSz;
  } else if (Consume(line, pos, "str(")) {
    type = ParseHexNumber(line, pos, 8);
    if (!type || !Consume(line, pos, "):\"")) return std::nullopt;
  } else if (Consume(line, pos, "dword:")) {
    auto number = ParseHexNumber(line, pos, 8);
    if (!number) return std::nullopt;
    value.type = kRegDword;
    AppendLittleEndian(value.data, *number);
    return value;
  } else if (Consume(line, pos, "hex:")) {
    value.type = kRegBinary;
  } else if (Consume(line, pos, "hex(")) {
    auto hex_type = ParseHexNumber(line, pos, 8);
    if (!hex_type || !Consume(line, pos, "):")) return std::nullopt;
    value.type = *hex_type;
  } else {
    return std::nullopt;
  }

  if (type) {
    auto text = ParseQuoted(line, pos, '"');
    if (!text) return std::nullopt;
    value.type = *type;
    value.data = TextData(*text);
    return value;
  }
  auto bytes = ParseHexBytes(line, pos, lines);
  if (!bytes) return std::nullopt;
  value.data = std::move(*bytes);
  return value;
}

std::string JoinLevels(std::string_view path, bool fold) {
  std::string joined;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) {
      if (!joined.empty()) joined.push_back('\\');
      const std::string_view level = path.substr(start, end - start);
      joined += fold ? FoldName(level) : std::string(level);
    }
    start = end + 1;
  }
  return joined;
}

// The key's entry, keyed by its folded path.
std::pair<const std::string, RegistryFileKey>& AddKey(RegistryFile& file, std::string_view path) {
  // Folding keeps every byte in place, so a cut in one form is a cut in the other.
  const std::string display = JoinLevels(path, false);
  const std::string folded = JoinLevels(path, true);
  // Wine creates the parents of every key it loads; so do we, so that they open too.
  // A parent already listed has its own parents listed.
  for (std::size_t cut = folded.rfind('\\'); cut != std::string::npos && cut > 0;
       cut = folded.rfind('\\', cut - 1)) {
    auto [parent, added] = file.keys.try_emplace(folded.substr(0, cut));
    if (!added) break;
    parent->second.path = display.substr(0, cut);
  }
  auto& entry = *file.keys.try_emplace(folded).first;
  if (entry.second.path.empty()) entry.second.path = display;
  return entry;
}

bool IsAtOrBelow(std::string_view folded, std::string_view key) {
  return folded.substr(0, key.size()) == key &&
         (folded.size() == key.size() || folded[key.size()] == '\\');
}

}  // namespace

std::string FoldRegistryPath(std::string_view path) {
  return JoinLevels(path, true);
}

std::optional<RegistryFile> IndexRegistryFile(std::string_view text) {
  LineReader lines(text, text.starts_with(kUtf8Bom) ? kUtf8Bom.size() : 0);
  std::string_view line;
  if (!lines.Next(line) || line != kHeader) return std::nullopt;

  RegistryFile file;
  while (lines.Next(line)) {
    std::size_t pos = 0;
    SkipSpaces(line, pos);
    if (line.substr(pos) == "#arch=win64") file.win64 = true;
    if (pos >= line.size() || line[pos] != '[') continue;
    ++pos;
    auto name = ParseQuoted(line, pos, ']');
    if (!name) continue;
    auto& [folded, key] = AddKey(file, Utf8FromUtf16(*name));
    if (IsAtOrBelow(folded, "software\\wow6432node")) file.win64 = true;
    key.sections.push_back(lines.position());
  }
  return file;
}

void ReadRegistryValues(std::string_view text, RegistryFileKey& key) {
  for (const std::size_t section : key.sections) {
    LineReader lines(text, section);
    std::string_view line;
    while (lines.Next(line)) {
      std::size_t pos = 0;
      SkipSpaces(line, pos);
      if (pos >= line.size()) continue;
      const char first = line[pos];
      // The next key's header ends the section, whether or not it could be read.
      if (first == '[') break;
      if (first != '"' && first != '@') continue;

      std::string value_name;
      ++pos;
      if (first == '"') {
        auto name = ParseQuoted(line, pos, '"');
        if (!name) continue;
        value_name = Utf8FromUtf16(*name);
      }
      SkipSpaces(line, pos);
      if (!Consume(line, pos, "=")) continue;
      SkipSpaces(line, pos);
      auto value = ParseData(line, pos, lines);
      if (!value) continue;
      value->name = value_name;
      key.values[FoldName(value_name)] = std::move(*value);
    }
  }
  key.sections.clear();
}

std::optional<RegistryFile> ParseRegistryFile(std::string_view text) {
  auto file = IndexRegistryFile(text);
  if (file) {
    for (auto& [folded, key] : file->keys) ReadRegistryValues(text, key);
  }
  return file;
}

const RegistryFileKey* FindRegistryKey(const RegistryFile& file, std::string_view path) {
  auto found = file.keys.find(FoldRegistryPath(path));
  return found == file.keys.end() ? nullptr : &found->second;
}

const RegistryFileValue* FindRegistryValue(const RegistryFileKey& key, std::string_view name) {
  auto found = key.values.find(FoldName(name));
  return found == key.values.end() ? nullptr : &found->second;
}

}  // namespace pelloquin
