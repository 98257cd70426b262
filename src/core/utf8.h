// Strict UTF-8 decoding, shared by the name rules and the registry file reader.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace pelloquin {

// The code point starting at text[pos], with pos moved past it; nothing, and
// pos unchanged, when the bytes there are no valid, shortest UTF-8 sequence
// of a scalar value.
std::optional<char32_t> NextCodePoint(std::string_view text, std::size_t& pos);

bool IsValidUtf8(std::string_view text);

}  // namespace pelloquin
