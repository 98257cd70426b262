// What reading a header from its file shares with the parser: where the
// fields start, how far they may run, where the header ends, and a parse that
// knows the file's size.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "core/save_header.h"

namespace pelloquin {

// Magic, two version bytes, the executable's time, header version and size;
// the header's size counts from there.
inline constexpr std::size_t kFieldsStart = 12 + 1 + 1 + 16 + 4 + 4;
// Save number, two strings of at most 255 bytes behind their length byte,
// level, game days, play time, in-game time, screenshot size, width, height.
inline constexpr std::size_t kMaxFieldBytes = 4 + 256 + 2 + 256 + 4 + 4 + 16 + 4 + 4 + 4;

// Where the header ends, from its first kFieldsStart bytes; nothing when they
// are no header's start or promise more than any header holds.
std::optional<std::uint64_t> HeaderEnd(std::span<const std::uint8_t> start);

// `bytes` are the first bytes of a file of `file_size` bytes. The pixels are
// copied only when asked for, and must then be among `bytes`.
std::optional<SaveHeader> ParseHeaderOfFile(std::span<const std::uint8_t> bytes,
                                            std::uint64_t file_size, ScreenshotPixels pixels);

}  // namespace pelloquin
