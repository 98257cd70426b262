// Parsing a save's header. Every length is checked against the header's size
// and the bytes at hand before it is used, so no input reads out of bounds.
#include "core/save_header.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

#include "core/ascii_case.h"
#include "core/little_endian.h"
#include "core/paths.h"
#include "core/save_header_layout.h"
#include "core/save_names.h"
#include "core/utf8.h"

namespace pelloquin {

namespace {

constexpr std::string_view kMagic = "TES4SAVEGAME";
constexpr std::uint32_t kHeaderVersion = 125;
constexpr std::size_t kVersionOffset = kFieldsStart - 8;
constexpr std::size_t kSizeOffset = kFieldsStart - 4;
constexpr std::uint64_t kMaxHeaderEnd =
    kFieldsStart + kMaxFieldBytes + std::uint64_t{kMaxScreenshotSide} * kMaxScreenshotSide * 3;

}  // namespace

std::optional<std::uint64_t> HeaderEnd(std::span<const std::uint8_t> start) {
  if (start.size() < kFieldsStart ||
      !std::equal(kMagic.begin(), kMagic.end(), start.begin(),
                  [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; }) ||
      LoadLittleEndian<std::uint32_t>(&start[kVersionOffset]) != kHeaderVersion) {
    return std::nullopt;
  }
  const std::uint64_t end = kFieldsStart + LoadLittleEndian<std::uint32_t>(&start[kSizeOffset]);
  if (end > kMaxHeaderEnd) return std::nullopt;
  return end;
}

namespace {

// Reads fields one after the other; once one runs past the bytes, it and
// every later one fail and ok() turns false.
class Cursor {
 public:
  Cursor(std::span<const std::uint8_t> bytes, std::size_t pos) : bytes_(bytes), pos_(pos) {}

  bool ok() const { return ok_; }
  std::size_t pos() const { return pos_; }
  std::size_t left() const { return bytes_.size() - pos_; }

  // The next `count` bytes, or nullptr.
  const std::uint8_t* Take(std::uint64_t count) {
    if (!ok_ || count > bytes_.size() - pos_) {
      ok_ = false;
      return nullptr;
    }
    const std::uint8_t* taken = bytes_.data() + pos_;
    pos_ += static_cast<std::size_t>(count);
    return taken;
  }

  template <std::unsigned_integral T>
  T Number() {
    const std::uint8_t* bytes = Take(sizeof(T));
    return bytes == nullptr ? T{0} : LoadLittleEndian<T>(bytes);
  }

  // A length byte that counts the terminating NUL, then the Windows-1252 text.
  std::string Text() {
    const auto length = Number<std::uint8_t>();
    const std::uint8_t* bytes = length == 0 ? nullptr : Take(length);
    if (bytes == nullptr) {
      ok_ = false;
      return {};
    }
    std::string_view text(reinterpret_cast<const char*>(bytes), length - 1u);
    if (bytes[length - 1] != 0 || text.find('\0') != std::string_view::npos) ok_ = false;
    return Utf8FromWindows1252(text);
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t pos_;
  bool ok_ = true;
};

// The game only loads plugins by such names; bytes a lying count or length
// runs into are all but never one.
bool IsPluginFileName(std::string_view name) {
  constexpr std::string_view kNotInFileNames = "\\/:*?\"<>|";
  if (name.size() <= 4 || std::any_of(name.begin(), name.end(), [&](char c) {
        return static_cast<unsigned char>(c) < 0x20 || kNotInFileNames.find(c) != name.npos;
      })) {
    return false;
  }
  const std::string_view extension = name.substr(name.size() - 4);
  return EqualsIgnoringAsciiCase(extension, ".esm") || EqualsIgnoringAsciiCase(extension, ".esp");
}

// The list at the cursor: a count byte, then each name behind its length byte,
// with no terminator. Nothing when it runs past the bytes or a name is none.
std::optional<std::vector<std::string>> PluginList(Cursor& cursor) {
  const auto count = cursor.Number<std::uint8_t>();
  std::vector<std::string> names;
  names.reserve(count);
  for (unsigned i = 0; i < count && cursor.ok(); ++i) {
    const auto length = cursor.Number<std::uint8_t>();
    const std::uint8_t* bytes = cursor.Take(length);
    if (bytes == nullptr) break;
    const std::string_view name(reinterpret_cast<const char*>(bytes), length);
    if (!IsPluginFileName(name)) return std::nullopt;
    names.push_back(Utf8FromWindows1252(name));
  }
  if (!cursor.ok()) return std::nullopt;
  return names;
}

}  // namespace

std::optional<SaveHeader> ParseHeaderOfFile(std::span<const std::uint8_t> bytes,
                                            std::uint64_t file_size, ScreenshotPixels pixels) {
  std::optional<std::uint64_t> end = HeaderEnd(bytes);
  if (!end || *end > file_size) return std::nullopt;
  Cursor cursor(bytes.first(static_cast<std::size_t>(std::min<std::uint64_t>(bytes.size(), *end))),
                kFieldsStart);
  SaveHeader header;
  cursor.Take(4);  // save number
  header.player_name = cursor.Text();
  header.player_level = cursor.Number<std::uint16_t>();
  header.player_location = cursor.Text();
  cursor.Take(4);  // game days
  header.play_time_ms = cursor.Number<std::uint32_t>();
  cursor.Take(16);  // in-game time
  const auto shot_size = cursor.Number<std::uint32_t>();
  SaveScreenshot& shot = header.screenshot;
  shot.width = cursor.Number<std::uint32_t>();
  shot.height = cursor.Number<std::uint32_t>();
  if (!cursor.ok() || shot.width > kMaxScreenshotSide || shot.height > kMaxScreenshotSide) {
    return std::nullopt;
  }
  const std::uint64_t pixel_bytes = std::uint64_t{shot.width} * shot.height * 3;
  if (shot_size != 8 + pixel_bytes || cursor.pos() + pixel_bytes != *end) return std::nullopt;
  if (pixels == ScreenshotPixels::kRead) {
    const std::uint8_t* rgb = cursor.Take(pixel_bytes);
    if (rgb == nullptr) return std::nullopt;
    shot.rgb.assign(rgb, rgb + pixel_bytes);
    Cursor list(bytes, static_cast<std::size_t>(*end));
    header.plugins = PluginList(list);
  }
  return header;
}

std::optional<SaveHeader> ParseSaveHeader(std::span<const std::uint8_t> bytes) {
  return ParseHeaderOfFile(bytes, bytes.size(), ScreenshotPixels::kRead);
}

std::string CharacterOfSave(std::string_view folder, std::string_view file_name) {
  if (!MayCutHyphenatedName(file_name)) return CharacterNameOf(file_name);
  std::optional<SaveHeader> header =
      ReadSaveHeader(JoinPath(folder, file_name), ScreenshotPixels::kSkip);
  return header ? CharacterNameOf(file_name, header->player_name) : CharacterNameOf(file_name);
}

std::string FormatPlayTime(std::uint32_t milliseconds) {
  const std::uint32_t seconds = milliseconds / 1000;
  char text[32];
  std::snprintf(text, sizeof text, "%u:%02u:%02u", static_cast<unsigned>(seconds / 3600),
                static_cast<unsigned>(seconds / 60 % 60), static_cast<unsigned>(seconds % 60));
  return text;
}

}  // namespace pelloquin
