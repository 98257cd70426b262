// Strict UTF-8 decoding, shared by the name rules and the registry file reader,
// and UTF-8 encoding.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace pelloquin {

// What a UTF-8 file may start with; readers skip it.
inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// The code point starting at text[pos], with pos moved past it; nothing, and
// pos unchanged, when the bytes there are no valid, shortest UTF-8 sequence
// of a scalar value.
std::optional<char32_t> NextCodePoint(std::string_view text, std::size_t& pos);

bool IsValidUtf8(std::string_view text);

void AppendUtf8(std::string& out, char32_t code_point);

// Text in Windows-1252, the code page of the game's saves. The five bytes the
// code page leaves undefined become the C1 controls of the same value, as
// Windows converts them.
std::string Utf8FromWindows1252(std::string_view text);

// The lower case of every letter Windows-1252 holds, so that names from the
// saves compare without regard to letter case; any other code point as it is.
char32_t FoldWindows1252Case(char32_t c);

}  // namespace pelloquin
