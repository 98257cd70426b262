// Valve's KeyValues text, the form of Steam's .vdf files: quoted or bare keys
// and values, nested { } blocks, // comments and backslash escapes.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pelloquin {

struct KeyValues {
  bool is_block = false;
  std::string value;                                       // a value's text
  std::vector<std::pair<std::string, KeyValues>> entries;  // a block's, in file order

  // The first entry of a block under `key`, in any letter case as Steam reads it.
  const KeyValues* Find(std::string_view key) const;

  bool operator==(const KeyValues&) const = default;
};

// The file as the block of its top-level entries. Nothing for a broken file:
// a text or block left open, a "}" too many, a key without a value, or blocks
// nested deeper than any Steam writes.
std::optional<KeyValues> ParseKeyValues(std::string_view text);

}  // namespace pelloquin
