// The INI text itself, apart from any file: finding a key's value and changing
// one key while leaving every other byte alone. Pure functions over any bytes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pelloquin::ini {

// The key's value in the first section of that name, trimmed and with one pair
// of matching surrounding quotes removed; nothing when section or key is
// missing. Names match regardless of ASCII letter case.
std::optional<std::string> FindValue(std::string_view text, std::string_view section,
                                     std::string_view key);

// The value as it is to stand after "=", quoted only when a read would
// otherwise trim it or strip its quotes.
std::string EncodeValue(std::string_view value);

// Why the section, key or value cannot be stored so that a read gives them
// back, or nothing when they can.
std::optional<std::string> CheckStorable(std::string_view section, std::string_view key,
                                         std::string_view value);

// The line end the text uses already, or `fallback` when it has none.
std::string_view DetectLineEnd(std::string_view text, std::string_view fallback);

// The text with the key set to the value: its value text replaced, or the key
// added after the last key of the first section of that name, or the section
// added at the end. New lines end with the text's own line end (`fallback`
// when it has none). The caller checks the names and value first.
std::string SetValue(std::string_view text, std::string_view section, std::string_view key,
                     std::string_view value, std::string_view fallback_line_end);

}  // namespace pelloquin::ini
