// Wine's registry files (system.reg and its like): text in, keys with their
// values out. A pure function over any bytes, so malformed files are safe.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelloquin {

struct RegistryFileValue {
  std::string name;  // UTF-8; empty for the default value ("@")
  std::uint32_t type = 0;
  // The bytes Windows would hold: text types as UTF-16LE with their NUL.
  std::vector<std::uint8_t> data;

  bool operator==(const RegistryFileValue&) const = default;
};

struct RegistryFileKey {
  std::string path;  // UTF-8, levels separated by a single backslash
  // Keyed by the folded name, since names match regardless of letter case.
  std::map<std::string, RegistryFileValue> values;
  // Where the lines after each of the key's headers start in the text, while
  // its values are still to be read; a key that is only a parent has none.
  std::vector<std::size_t> sections;
};

struct RegistryFile {
  // A 64-bit prefix, whose 32-bit programs see Wow6432Node: the file says so,
  // or has keys there.
  bool win64 = false;
  // Keyed by the folded path. Every parent of a listed key is present too.
  std::map<std::string, RegistryFileKey> keys;
};

// Nothing when the text does not start with Wine's header. Lines that cannot
// be read (a broken value, a file cut off in the middle) are skipped, as Wine does.
std::optional<RegistryFile> ParseRegistryFile(std::string_view text);

// The keys alone, each with where its values lie: most of a large file is
// never decoded when only a few keys are read.
std::optional<RegistryFile> IndexRegistryFile(std::string_view text);

// Reads the values of a key of IndexRegistryFile(text); a second call does nothing.
void ReadRegistryValues(std::string_view text, RegistryFileKey& key);

// The key path's levels joined by one backslash, empty levels dropped, ASCII
// letters in lower case: the form two names that Windows takes as equal share.
std::string FoldRegistryPath(std::string_view path);

const RegistryFileKey* FindRegistryKey(const RegistryFile& file, std::string_view path);
const RegistryFileValue* FindRegistryValue(const RegistryFileKey& key, std::string_view name);

}  // namespace pelloquin
