// Read-only registry access (the unit basRegistry): whether a key opens, and
// one value as text or number.
// Written against RegistryApi so the system registry, a Wine prefix's registry
// files or a test's stand-in can serve.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>

namespace pelloquin {

using RegHandle = std::uintptr_t;  // 0: no key open

enum class RegRoot : std::uint32_t { LocalMachine = 0x80000002 };

inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;

// Which view of a 64-bit registry to open; Default is the process's own.
enum class RegView { Default, Wow64_32, Wow64_64 };

// The three platform operations. Text data is handed over as bytes in the
// program's encoding (UTF-8); a Windows implementation converts from ANSI.
class RegistryApi {
 public:
  virtual ~RegistryApi() = default;

  // Opens the key for reading, setting `handle` to a non-zero value; leaves 0
  // when it does not open. Returns the platform's result code (0 on success).
  virtual long OpenKey(RegRoot root, std::string_view key_path, RegView view,
                       RegHandle& handle) = 0;

  // With `data` null: reports the value's type and size in `type` and `size`
  // (a missing value reports nothing). With `data`: reads at most `*size`
  // bytes and sets `*size` to the bytes the value holds. Returns 0 on success.
  virtual long QueryValue(RegHandle handle, std::string_view value_name, std::uint32_t* type,
                          std::uint8_t* data, std::uint32_t* size) = 0;

  // Harmless on a zero handle.
  virtual void CloseKey(RegHandle handle) = 0;
};

using RegValue = std::variant<std::string, std::int32_t>;

bool RegKeyExists(RegistryApi& registry, RegRoot root, std::string_view key_path,
                  RegView view = RegView::Default);

// Text for REG_SZ (cut at its first NUL), the number for REG_DWORD, "" for
// everything else and for every failure.
RegValue GetRegValue(RegistryApi& registry, RegRoot root, std::string_view key_path,
                     std::string_view value_name, RegView view = RegView::Default);

// The system's registry: advapi32 on Windows; elsewhere the registry files of
// the Wine prefix that holds the save folder, else $WINEPREFIX, else ~/.wine.
std::unique_ptr<RegistryApi> MakeSystemRegistry(std::string_view save_path);

}  // namespace pelloquin
