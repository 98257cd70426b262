// The parts of the settings file's storage that every platform shares.
#include "ini_storage.h"

#include <cstdint>
#include <random>

namespace pelloquin::ini {

std::string RandomTag() {
  static std::mt19937 generator{std::random_device{}()};
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string tag;
  for (std::uint32_t bits = generator(), i = 0; i < 8; ++i, bits >>= 4) tag += kDigits[bits & 15];
  return tag;
}

}  // namespace pelloquin::ini
