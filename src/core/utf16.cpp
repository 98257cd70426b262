// UTF-8 and UTF-16 conversions that accept any input.
#include "core/utf16.h"

#include "core/little_endian.h"
#include "core/utf8.h"

namespace pelloquin {

void AppendUtf16(std::u16string& out, char32_t code_point) {
  if (code_point < 0x10000) {
    out.push_back(static_cast<char16_t>(code_point));
  } else {
    code_point -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (code_point >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (code_point & 0x3FF)));
  }
}

char32_t DecodeUtf8(std::string_view text, std::size_t& pos) {
  if (std::optional<char32_t> code_point = NextCodePoint(text, pos)) return *code_point;
  return static_cast<unsigned char>(text[pos++]);
}

std::u16string Utf16FromUtf8(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) AppendUtf16(out, DecodeUtf8(text, pos));
  return out;
}

std::string Utf8FromUtf16(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char32_t unit = text[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00));
      ++i;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      AppendUtf8(out, 0xFFFD);
    } else {
      AppendUtf8(out, unit);
    }
  }
  return out;
}

std::string Utf8FromUtf16Le(const std::uint8_t* bytes, std::size_t size) {
  std::u16string units(size / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<char16_t>(LoadLittleEndian<std::uint16_t>(bytes + 2 * i));
  }
  return Utf8FromUtf16(units);
}

void AppendUtf16Le(std::vector<std::uint8_t>& out, std::u16string_view text) {
  for (const char16_t unit : text) AppendLittleEndian(out, static_cast<std::uint16_t>(unit));
}

}  // namespace pelloquin
