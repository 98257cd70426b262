// Writing save headers field by field.
#include "save_header_bytes.h"

namespace pelloquin::testing {

namespace {

void Put(std::string& out, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void PutText(std::string& out, const std::string& text) {
  Put(out, text.size() + 1, 1);
  out += text;
  out.push_back('\0');
}

}  // namespace

std::uint8_t PixelByte(std::size_t i) {
  return static_cast<std::uint8_t>(i * 7 + i / 251);
}

std::string SaveHeaderBytes(const HeaderFields& fields) {
  const std::uint64_t pixels = std::uint64_t{fields.width} * fields.height * 3;
  std::string body;
  Put(body, fields.save_number, 4);
  PutText(body, fields.player_name);
  Put(body, fields.player_level, 2);
  PutText(body, fields.player_location);
  Put(body, 0x41200000, 4);  // game days: 10.0f
  Put(body, fields.play_time_ms, 4);
  body.append(16, '\x01');  // in-game time
  Put(body, 8 + pixels, 4);
  Put(body, fields.width, 4);
  Put(body, fields.height, 4);
  for (std::uint64_t i = 0; i < pixels; ++i) body.push_back(static_cast<char>(PixelByte(i)));

  std::string header = "TES4SAVEGAME";
  Put(header, 0, 1);          // major version
  Put(header, 125, 1);        // minor version
  header.append(16, '\x02');  // the executable's time
  Put(header, 125, 4);        // header version
  Put(header, body.size(), 4);
  return header + body;
}

std::string PluginListBytes(const std::vector<std::string>& names) {
  std::string list;
  Put(list, names.size(), 1);
  for (const std::string& name : names) {
    Put(list, name.size(), 1);
    list += name;
  }
  return list;
}

LengthOffsets LengthFieldOffsets(const HeaderFields& fields) {
  const std::size_t name = 38 + 4;
  const std::size_t location = name + 1 + fields.player_name.size() + 1 + 2;
  const std::size_t shot = location + 1 + fields.player_location.size() + 1 + 4 + 4 + 16;
  return {34, name, location, shot, shot + 4, shot + 8};
}

}  // namespace pelloquin::testing
