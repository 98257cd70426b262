// Fuzzes the save-header reader. Whatever the bytes, it either finds nothing
// or a header within the format's limits; read from a file it finds the same;
// bytes after a header and its plugin list never change what it reads, a
// header cut by one byte is no header, and a plugin list cut by one byte is
// no list.
#include <string>
#include <vector>

#include "core/little_endian.h"
#include "core/paths.h"
#include "core/save_header.h"
#include "core/utf8.h"
#include "fuzz_check.h"
#include "fuzz_file.h"

namespace {

using namespace pelloquin;

bool SameHeader(const SaveHeader& a, const SaveHeader& b) {
  return a.player_name == b.player_name && a.player_level == b.player_level &&
         a.player_location == b.player_location && a.play_time_ms == b.play_time_ms &&
         a.screenshot.width == b.screenshot.width && a.screenshot.height == b.screenshot.height &&
         a.screenshot.rgb == b.screenshot.rgb;
}

// Where the plugin list starting at `at` ends, walked by its lengths alone.
std::size_t PluginListEnd(const std::uint8_t* data, std::size_t at) {
  const unsigned count = data[at++];
  for (unsigned i = 0; i < count; ++i) at += 1 + data[at];
  return at;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> bytes(data, size);
  std::optional<SaveHeader> header = ParseSaveHeader(bytes);

  // The file is the input: the reader opens it as it opens a save.
  fuzz::ReadBackThroughFile(std::string_view(reinterpret_cast<const char*>(data), size), size);
  const std::string path = Utf8FromPath(fuzz::InputFilePath());
  std::optional<SaveHeader> from_file = ReadSaveHeader(path, ScreenshotPixels::kRead);
  FUZZ_CHECK(from_file.has_value() == header.has_value());
  if (header) FUZZ_CHECK(SameHeader(*header, *from_file) && header->plugins == from_file->plugins);
  std::optional<SaveHeader> without_pixels = ReadSaveHeader(path, ScreenshotPixels::kSkip);
  FUZZ_CHECK(without_pixels.has_value() == header.has_value());
  if (header) {
    FUZZ_CHECK(without_pixels->screenshot.rgb.empty());
    without_pixels->screenshot.rgb = header->screenshot.rgb;
    FUZZ_CHECK(SameHeader(*header, *without_pixels));
  }

  if (!header) return 0;
  std::vector<std::uint8_t> longer(data, data + size);
  longer.push_back(0x5A);
  std::optional<SaveHeader> with_more = ParseSaveHeader(longer);
  FUZZ_CHECK(with_more && SameHeader(*header, *with_more));
  if (header->plugins) FUZZ_CHECK(with_more->plugins == header->plugins);

  const SaveScreenshot& shot = header->screenshot;
  FUZZ_CHECK(shot.width <= kMaxScreenshotSide && shot.height <= kMaxScreenshotSide);
  FUZZ_CHECK(shot.rgb.size() == std::size_t{shot.width} * shot.height * 3);
  for (const std::string& text : {header->player_name, header->player_location}) {
    FUZZ_CHECK(IsValidUtf8(text));
    FUZZ_CHECK(text.find('\0') == std::string::npos);
  }
  // The header's size, after the 38 bytes that start it, says where it ends.
  const std::size_t end = 38 + LoadLittleEndian<std::uint32_t>(data + 34);
  FUZZ_CHECK(end <= size);
  FUZZ_CHECK(!ParseSaveHeader(bytes.first(end - 1)));

  if (!header->plugins) return 0;
  FUZZ_CHECK(header->plugins->size() <= 255);
  for (const std::string& name : *header->plugins) {
    FUZZ_CHECK(IsValidUtf8(name) && !name.empty());
    FUZZ_CHECK(name.find('\0') == std::string::npos);
  }
  const std::size_t list_end = PluginListEnd(data, end);
  FUZZ_CHECK(list_end <= size && list_end - end <= kMaxPluginListBytes);
  std::optional<SaveHeader> cut = ParseSaveHeader(bytes.first(list_end - 1));
  FUZZ_CHECK(cut && !cut->plugins);
  return 0;
}
