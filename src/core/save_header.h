// What a save says about itself in its header: the player's name, level and
// place, the time played and a screenshot, and the plugins the save was made
// with (the list that follows the header). Nothing after that list is read.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pelloquin {

inline constexpr std::uint32_t kMaxScreenshotSide = 1024;
// The plugin list: a count byte, then each name behind its length byte.
inline constexpr std::size_t kMaxPluginListBytes = 1 + 255 * (1 + 255);

struct SaveScreenshot {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint8_t> rgb;  // width x height triplets, rows top to bottom
};

struct SaveHeader {
  std::string player_name;  // UTF-8, as stored (not trimmed)
  std::uint16_t player_level = 0;
  std::string player_location;  // UTF-8: the cell's name
  std::uint32_t play_time_ms = 0;
  SaveScreenshot screenshot;  // rgb left empty when the pixels were not asked for
  // The plugins' file names in UTF-8, in the save's order; nothing when the
  // list does not read (or, with the pixels skipped, was not asked for).
  std::optional<std::vector<std::string>> plugins;
};

// The header at the start of `bytes`, which must hold all of it (the rest of
// the save may follow). Nothing when they hold no save header: another magic
// or header version, a length running past the header or the bytes, a
// screenshot larger than kMaxScreenshotSide on a side or not ending the header.
// The plugin list after it reads only when it lies whole within `bytes` and
// each name is a plugin's file name (*.esm or *.esp, no control character
// or character a file name may not hold): a count or length that lies runs
// into bytes that are no such name.
std::optional<SaveHeader> ParseSaveHeader(std::span<const std::uint8_t> bytes);

enum class ScreenshotPixels { kSkip, kRead };

// Reads the header of the save at `path` (UTF-8) and its plugin list, and
// nothing after them; with kSkip neither the screenshot's pixels (though
// their size is checked against the file's) nor the plugin list. Nothing when
// the file cannot be read or holds no header; what is no regular file (a
// FIFO, a device) is not opened for reading nor waited on, and no more than a
// header's and a plugin list's largest sizes are read.
std::optional<SaveHeader> ReadSaveHeader(std::string_view path,
                                         ScreenshotPixels pixels = ScreenshotPixels::kRead);

// The save's character: the header's name when the file name cut it at a
// hyphen (CharacterNameOf with the header's name), else the file-name rule.
// Reads the header only when MayCutHyphenatedName holds.
std::string CharacterOfSave(std::string_view folder, std::string_view file_name);

// "h:mm:ss"; the hours are not wrapped.
std::string FormatPlayTime(std::uint32_t milliseconds);

}  // namespace pelloquin
