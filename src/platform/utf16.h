// UTF-8 and UTF-16 conversions that accept any input: Windows keeps registry
// text as UTF-16, the program keeps it as UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pelloquin {

// A byte that does not start a valid UTF-8 sequence stands for itself (Latin-1).
std::u16string Utf16FromUtf8(std::string_view text);

// An unpaired surrogate becomes U+FFFD. NUL units are kept.
std::string Utf8FromUtf16(std::u16string_view text);

// Little-endian UTF-16 bytes to UTF-8; an odd last byte is dropped.
std::string Utf8FromUtf16Le(const std::uint8_t* bytes, std::size_t size);

void AppendUtf16Le(std::vector<std::uint8_t>& out, std::u16string_view text);

// Decodes one code point at `text[pos]`, advancing `pos`; invalid bytes as above.
char32_t DecodeUtf8(std::string_view text, std::size_t& pos);

void AppendUtf16(std::u16string& out, char32_t code_point);

}  // namespace pelloquin
