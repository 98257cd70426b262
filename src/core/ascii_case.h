// Letter case of ASCII text, folded alike in every locale: names in save files,
// settings files and registry files match the same way whatever the user's setting.
#pragma once

#include <cstddef>
#include <string_view>

namespace pelloquin {

constexpr char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

}  // namespace pelloquin
