// Numbers stored least significant byte first, read the same on any host.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>

namespace pelloquin {

// The number in the sizeof(T) bytes at `bytes`.
template <std::unsigned_integral T>
T LoadLittleEndian(const std::uint8_t* bytes) {
  T value = 0;
  for (std::size_t i = sizeof(T); i-- > 0;) value = static_cast<T>((value << 8) | bytes[i]);
  return value;
}

// Appends the sizeof(T) bytes of `value` to a container of bytes or chars.
template <std::unsigned_integral T, typename Bytes>
void AppendLittleEndian(Bytes& out, T value) {
  for (std::size_t i = 0; i < sizeof(T); ++i) {
    out.push_back(static_cast<typename Bytes::value_type>((value >> (8 * i)) & 0xFF));
  }
}

}  // namespace pelloquin
