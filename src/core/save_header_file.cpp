// Reading a save's header from its file: a regular file only, never waited
// on, and no more read than the largest header and plugin list.
#include <algorithm>
#include <system_error>
#include <vector>

#include "core/bounded_read.h"
#include "core/paths.h"
#include "core/save_header.h"
#include "core/save_header_layout.h"
#include "core/seam_points.h"

namespace pelloquin {

namespace {

bool ReadExactly(files::InputFile& in, std::vector<std::uint8_t>& bytes, std::size_t from) {
  std::size_t got = 0;
  const std::span<char> rest(reinterpret_cast<char*>(bytes.data() + from), bytes.size() - from);
  return !in.Read(rest, got) && got == rest.size();
}

std::optional<SaveHeader> ReadFromFile(std::string_view path, ScreenshotPixels pixels,
                                       std::uint64_t& bytes_read) {
  // Only a regular file is read, and opening it never waits (a FIFO under a
  // save's name is no save); no more than the header's own limit is read.
  files::InputFile in;
  try {
    if (in.Open(PathFromUtf8(path))) return std::nullopt;
  } catch (const std::system_error&) {
    return std::nullopt;  // no valid path
  }
  std::vector<std::uint8_t> bytes(kFieldsStart);
  if (!ReadExactly(in, bytes, 0)) return std::nullopt;
  bytes_read = bytes.size();
  std::optional<std::uint64_t> end = HeaderEnd(bytes);
  if (!end) return std::nullopt;
  const std::uint64_t wanted = pixels == ScreenshotPixels::kRead
                                   ? *end
                                   : std::min<std::uint64_t>(*end, kFieldsStart + kMaxFieldBytes);
  bytes.resize(static_cast<std::size_t>(wanted));
  if (!ReadExactly(in, bytes, kFieldsStart)) return std::nullopt;
  if (pixels == ScreenshotPixels::kRead) {
    // The plugin list follows, as long as it may be; a short read leaves it
    // cut, and the parser then finds no list.
    bytes.resize(bytes.size() + kMaxPluginListBytes);
    std::size_t got = 0;
    const std::span<char> list(reinterpret_cast<char*>(bytes.data() + wanted), kMaxPluginListBytes);
    if (in.Read(list, got)) got = 0;
    bytes.resize(static_cast<std::size_t>(wanted) + got);
  }
  bytes_read = bytes.size();
  // Only the pixels' size is checked when they are skipped: the file must
  // reach the header's end.
  const std::uint64_t file_size = wanted < *end ? in.size() : bytes.size();
  return ParseHeaderOfFile(bytes, file_size, pixels);
}

}  // namespace

std::optional<SaveHeader> ReadSaveHeader(std::string_view path, ScreenshotPixels pixels) {
  const seam::HeaderRead timer;
  std::uint64_t bytes_read = 0;
  std::optional<SaveHeader> header = ReadFromFile(path, pixels, bytes_read);
  timer.Done(bytes_read);
  return header;
}

}  // namespace pelloquin
