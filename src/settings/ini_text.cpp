// Parsing and editing INI text the way the Windows profile functions read it.
#include "settings/ini_text.h"

#include <cstddef>
#include <vector>

#include "core/ascii_case.h"
#include "core/utf8.h"

namespace pelloquin::ini {

namespace {

bool IsQuote(char c) {
  return c == '"' || c == '\'';
}

enum class LineKind { Blank, Comment, Section, Key };

// One line of the text; offsets index the whole text.
struct Line {
  LineKind kind = LineKind::Blank;
  std::size_t end = 0;   // where the line's content stops (before "\r\n" or "\n")
  std::size_t next = 0;  // where the next line starts; == end when the text ends unterminated
  std::string_view name;
  std::size_t value_begin = 0;  // trimmed value; a key without "=" has an empty one at its end
  std::size_t value_end = 0;
  bool has_equals = false;
};

Line ParseLine(std::string_view text, std::size_t begin) {
  Line line;
  std::size_t newline = text.find('\n', begin);
  line.end = newline == std::string_view::npos ? text.size() : newline;
  line.next = newline == std::string_view::npos ? text.size() : newline + 1;
  if (line.end > begin && text[line.end - 1] == '\r') --line.end;

  std::size_t first = begin;
  std::size_t last = line.end;
  while (first < last && IsBlank(text[first])) ++first;
  while (last > first && IsBlank(text[last - 1])) --last;
  if (first == last) return line;

  std::string_view content = text.substr(first, last - first);
  if (content.front() == ';') {
    line.kind = LineKind::Comment;
    return line;
  }
  if (content.front() == '[') {
    std::size_t close = content.rfind(']');
    if (close != std::string_view::npos) {
      std::string_view name = content.substr(1, close - 1);
      while (!name.empty() && IsBlank(name.front())) name.remove_prefix(1);
      while (!name.empty() && IsBlank(name.back())) name.remove_suffix(1);
      line.kind = LineKind::Section;
      line.name = name;
      return line;
    }
  }
  // Anything else is a key line, as the profile functions take it; without
  // "=" the whole line is the key's name and its value is empty.
  line.kind = LineKind::Key;
  std::size_t equals = content.find('=');
  if (equals == std::string_view::npos) {
    line.name = content;
    line.value_begin = line.value_end = last;
    return line;
  }
  line.has_equals = true;
  std::string_view name = content.substr(0, equals);
  while (!name.empty() && IsBlank(name.back())) name.remove_suffix(1);
  line.name = name;
  line.value_begin = first + equals + 1;
  while (line.value_begin < last && IsBlank(text[line.value_begin])) ++line.value_begin;
  line.value_end = last;
  return line;
}

// The section and key lines only: nothing else is ever looked up or edited,
// and a file of countless blank lines then costs no memory.
std::vector<Line> ParseLines(std::string_view text) {
  std::vector<Line> lines;
  std::size_t begin = text.starts_with(kUtf8Bom) ? kUtf8Bom.size() : 0;
  while (begin < text.size()) {
    Line line = ParseLine(text, begin);
    begin = line.next;
    if (line.kind == LineKind::Section || line.kind == LineKind::Key) lines.push_back(line);
  }
  return lines;
}

// The lines of the first section named `section`: [header, end) indexes into `lines`.
struct SectionSpan {
  std::size_t header;
  std::size_t end;
};

std::optional<SectionSpan> FindSection(const std::vector<Line>& lines, std::string_view section) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].kind != LineKind::Section || !EqualsIgnoringAsciiCase(lines[i].name, section))
      continue;
    std::size_t end = i + 1;
    while (end < lines.size() && lines[end].kind != LineKind::Section) ++end;
    return SectionSpan{i, end};
  }
  return std::nullopt;
}

std::optional<std::size_t> FindKey(const std::vector<Line>& lines, SectionSpan span,
                                   std::string_view key) {
  for (std::size_t i = span.header + 1; i < span.end; ++i) {
    if (lines[i].kind == LineKind::Key && EqualsIgnoringAsciiCase(lines[i].name, key)) return i;
  }
  return std::nullopt;
}

std::string Unquote(std::string_view value) {
  if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

bool IsControl(unsigned char c) {
  return c < 0x20 || c == 0x7F;
}

}  // namespace

std::optional<std::string> FindValue(std::string_view text, std::string_view section,
                                     std::string_view key) {
  std::vector<Line> lines = ParseLines(text);
  auto span = FindSection(lines, section);
  if (!span) return std::nullopt;
  auto index = FindKey(lines, *span, key);
  if (!index) return std::nullopt;
  const Line& line = lines[*index];
  return Unquote(text.substr(line.value_begin, line.value_end - line.value_begin));
}

std::string EncodeValue(std::string_view value) {
  bool trimmed = !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()));
  bool quoted = value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front();
  if (!trimmed && !quoted) return std::string(value);
  std::string encoded = "\"";
  encoded += value;
  encoded += '"';
  return encoded;
}

std::optional<std::string> CheckStorable(std::string_view section, std::string_view key,
                                         std::string_view value) {
  auto check_name = [](std::string_view name, std::string_view what) -> std::optional<std::string> {
    if (name.empty()) return "the " + std::string(what) + " name is empty";
    for (char c : name) {
      if (IsControl(static_cast<unsigned char>(c))) {
        return "the " + std::string(what) + " name holds a line break or other control character";
      }
    }
    if (IsBlank(name.front()) || IsBlank(name.back())) {
      return "the " + std::string(what) + " name begins or ends with a space";
    }
    return std::nullopt;
  };
  if (auto reason = check_name(section, "section")) return reason;
  if (section.find(']') != std::string_view::npos) return "the section name holds \"]\"";
  if (auto reason = check_name(key, "key")) return reason;
  if (key.find('=') != std::string_view::npos) return "the key name holds \"=\"";
  if (key.front() == '[' || key.front() == ';') return "the key name begins with \"[\" or \";\"";
  for (char c : value) {
    // A tab stays on its line; every other control character could end it or cut it.
    if (c != '\t' && IsControl(static_cast<unsigned char>(c))) {
      return "the value of " + std::string(key) + " holds a line break or other control character";
    }
  }
  return std::nullopt;
}

std::string_view DetectLineEnd(std::string_view text, std::string_view fallback) {
  std::size_t newline = text.find('\n');
  if (newline == std::string_view::npos) return fallback;
  return (newline > 0 && text[newline - 1] == '\r') ? std::string_view("\r\n")
                                                    : std::string_view("\n");
}

std::string SetValue(std::string_view text, std::string_view section, std::string_view key,
                     std::string_view value, std::string_view fallback_line_end) {
  std::string_view line_end = DetectLineEnd(text, fallback_line_end);
  std::string encoded = EncodeValue(value);
  std::vector<Line> lines = ParseLines(text);
  std::string result;
  result.reserve(text.size() + section.size() + key.size() + encoded.size() + 8);

  auto span = FindSection(lines, section);
  if (!span) {
    result = text;
    if (!result.empty() && result.back() != '\n') result += line_end;
    result += '[';
    result += section;
    result += ']';
    result += line_end;
    result += key;
    result += '=';
    result += encoded;
    result += line_end;
    return result;
  }

  if (auto index = FindKey(lines, *span, key)) {
    const Line& line = lines[*index];
    result = text.substr(0, line.value_begin);
    if (!line.has_equals) result += '=';
    result += encoded;
    result += text.substr(line.value_end);
    return result;
  }

  // After the section's last key, so comments and blank lines that lead into
  // the next section stay with it.
  std::size_t after = span->header;
  for (std::size_t i = span->header + 1; i < span->end; ++i) {
    if (lines[i].kind == LineKind::Key) after = i;
  }
  const Line& anchor = lines[after];
  std::string added = std::string(key) + "=" + encoded;
  result = text.substr(0, anchor.next);
  if (text[anchor.next - 1] != '\n') {
    // The anchor is the unterminated last line; the file keeps ending without a line end.
    result += line_end;
    result += added;
  } else {
    result += added;
    result += line_end;
  }
  result += text.substr(anchor.next);
  return result;
}

}  // namespace pelloquin::ini
