// Letter case and blanks of ASCII text, alike in every locale: names in save
// files, settings files and registry files match the same way whatever the
// user's setting.
#pragma once

#include <cstddef>
#include <string_view>

namespace pelloquin {

// Space, tab, carriage return, vertical tab and form feed: white space that
// does not end a line.
constexpr bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

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
