// UTF-8 and UTF-16 conversions that accept any input: Windows keeps its text
// as UTF-16 (and registry files hold it so), the program keeps it as UTF-8.
// On Windows also the wide strings of its calls and its code pages.
#pragma once

#include <cstdint>
#include <optional>
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

#ifdef _WIN32
// The text of the wide (W) calls; as Utf16FromUtf8 and Utf8FromUtf16.
std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);

// Text in a code page (CP_ACP: the system's ANSI code page, which the A calls
// use) as UTF-8.
std::string Utf8FromCodePage(std::string_view bytes, unsigned code_page);

// UTF-8 text in a code page; nothing when it is no valid UTF-8 or holds a
// character the code page lacks (no look-alike stands in for it).
std::optional<std::string> CodePageFromUtf8(std::string_view text, unsigned code_page);
#endif

}  // namespace pelloquin
