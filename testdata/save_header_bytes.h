// Save headers laid out byte by byte as the game writes them, for tests and
// the benchmark's generated saves. Standard library only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pelloquin::testing {

struct HeaderFields {
  std::uint32_t save_number = 12;
  std::string player_name = "Aldo";  // bytes as stored (Windows-1252), without the NUL
  std::uint16_t player_level = 7;
  std::string player_location = "Skingrad";
  std::uint32_t play_time_ms = 3'723'000;
  std::uint32_t width = 256;
  std::uint32_t height = 144;
};

// Byte i of the screenshot's pixels in every header written here.
std::uint8_t PixelByte(std::size_t i);

// The header alone; the rest of a save follows it.
std::string SaveHeaderBytes(const HeaderFields& fields);

// The plugin list that follows a header: the count, then each name (bytes as
// stored, Windows-1252) behind its length byte.
std::string PluginListBytes(const std::vector<std::string>& names);

// Where the length fields lie in SaveHeaderBytes(fields): the header's size,
// the two text lengths, the screenshot's size, width and height.
struct LengthOffsets {
  std::size_t header_size, name_length, location_length, shot_size, width, height;
};
LengthOffsets LengthFieldOffsets(const HeaderFields& fields);

}  // namespace pelloquin::testing
