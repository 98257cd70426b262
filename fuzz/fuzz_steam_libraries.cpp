// Fuzzes the reader of Valve's KeyValues text and the Steam libraries read
// from it: any bytes, read from a file as the program reads Steam's. Whatever
// reads must read the same again once written back out, and every library
// listed has a path.
#include <string>

#include "fuzz_check.h"
#include "fuzz_file.h"
#include "platform/key_values.h"
#include "platform/save_folder_search.h"

namespace {

std::string Quoted(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

std::string Written(const pelloquin::KeyValues& block) {
  std::string text;
  for (const auto& [key, entry] : block.entries) {
    text += Quoted(key) +
            (entry.is_block ? " {\n" + Written(entry) + "}\n" : " " + Quoted(entry.value) + "\n");
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pelloquin;
  const std::string bytes =
      fuzz::ReadBackThroughFile(std::string_view(reinterpret_cast<const char*>(data), size),
                                files::kMaxSteamLibraryFileBytes);
  const std::string_view text = bytes;
  const auto file = ParseKeyValues(text);
  const auto libraries = SteamLibraryPaths(text);
  FUZZ_CHECK(file || !libraries);
  if (file) FUZZ_CHECK(ParseKeyValues(Written(*file)) == file);
  for (const std::string& path : libraries.value_or(std::vector<std::string>{})) {
    FUZZ_CHECK(!path.empty());
  }
  return 0;
}
