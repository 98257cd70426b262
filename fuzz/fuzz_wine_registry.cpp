// Fuzzes the reader of Wine's registry files: any bytes, with or without the
// header, read from a file as the program reads a prefix's registry. Every key it lists must be
// found again by its own path, with every parent listed, and every value found by its own name.
#include <string>

#include "fuzz_check.h"
#include "fuzz_file.h"
#include "platform/wine_registry_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pelloquin;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  // Most inputs get Wine's header, so the fuzzer spends its time past it.
  std::string text = fuzz::ReadBackThroughFile(
      (size > 0 && data[0] % 8 == 0) ? std::string(input.substr(1))
                                     : "WINE REGISTRY Version 2\n" + std::string(input),
      files::kMaxRegistryFileBytes);
  auto file = ParseRegistryFile(text);
  if (!file) return 0;
  for (const auto& [folded, key] : file->keys) {
    FUZZ_CHECK(FoldRegistryPath(key.path) == folded);
    FUZZ_CHECK(FoldRegistryPath(folded) == folded);
    FUZZ_CHECK(FindRegistryKey(*file, key.path) == &key);
    std::size_t cut = folded.rfind('\\');
    if (cut != std::string::npos) FUZZ_CHECK(file->keys.contains(folded.substr(0, cut)));
    for (const auto& [name, value] : key.values) {
      FUZZ_CHECK(FindRegistryValue(key, value.name) == &value);
    }
  }
  std::string_view probe = input.substr(0, std::min<std::size_t>(input.size(), 64));
  FUZZ_CHECK(FoldRegistryPath(FoldRegistryPath(probe)) == FoldRegistryPath(probe));
  return 0;
}
