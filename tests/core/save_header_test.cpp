// Reading save headers built from the game's format, whole, lying and cut short.
#include "save_header.h"

#include <gtest/gtest.h>

#include <tuple>

#include "paths.h"
#include "save_header_bytes.h"
#include "temp_folder.h"
#include "utf8.h"

namespace pelloquin {
namespace {

using namespace pelloquin::testing;

std::span<const std::uint8_t> Bytes(const std::string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

TEST(SaveHeader, ReadsEveryFieldAndNothingAfterTheHeader) {
  HeaderFields fields;
  fields.player_name = "\xC1sgeir \x80";  // Windows-1252
  fields.player_location = "Balmora, Kriegergilde";
  const std::string header = SaveHeaderBytes(fields);
  const std::string save = header + std::string(1 << 20, 'x');

  auto parsed = ParseSaveHeader(Bytes(save));
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->player_name, "\xC3\x81sgeir \xE2\x82\xAC");
  EXPECT_EQ(parsed->player_level, 7);
  EXPECT_EQ(parsed->player_location, "Balmora, Kriegergilde");
  EXPECT_EQ(parsed->play_time_ms, 3'723'000u);
  EXPECT_EQ(parsed->screenshot.width, 256u);
  EXPECT_EQ(parsed->screenshot.height, 144u);
  ASSERT_EQ(parsed->screenshot.rgb.size(), 256u * 144 * 3);
  for (std::size_t i : {std::size_t{0}, std::size_t{1}, std::size_t{256 * 144 * 3 - 1}}) {
    EXPECT_EQ(parsed->screenshot.rgb[i], PixelByte(i)) << i;
  }

  TempFolder temp;
  const std::string path = Utf8FromPath(temp.path() / "Save 12 - \xC3\x81sgeir - x.ess");
  WriteFile(PathFromUtf8(path), save);
  for (auto pixels : {ScreenshotPixels::kRead, ScreenshotPixels::kSkip}) {
    const HeaderStatistics before = HeaderReadStatistics();
    auto read = ReadSaveHeader(path, pixels);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->player_name, parsed->player_name);
    EXPECT_EQ(read->screenshot.width, 256u);
    const std::uint64_t bytes_read = HeaderReadStatistics().bytes_read - before.bytes_read;
    if (pixels == ScreenshotPixels::kRead) {
      EXPECT_EQ(read->screenshot.rgb, parsed->screenshot.rgb);
      EXPECT_EQ(bytes_read, header.size());
    } else {
      EXPECT_TRUE(read->screenshot.rgb.empty());
      EXPECT_LT(bytes_read, 600u);
    }
    EXPECT_EQ(HeaderReadStatistics().reads, before.reads + 1);
  }
  EXPECT_FALSE(ReadSaveHeader(Utf8FromPath(temp.path() / "absent.ess")));
}

TEST(SaveHeader, Windows1252BecomesUtf8) {
  EXPECT_EQ(Utf8FromWindows1252("a\x80\x8A\x9F\xA0\xE9\xFF"),
            "a\xE2\x82\xAC\xC5\xA0\xC5\xB8\xC2\xA0\xC3\xA9\xC3\xBF");
  // Undefined in the code page: the C1 control, which no folder name may hold.
  EXPECT_EQ(Utf8FromWindows1252("\x81\x8D\x8F\x90\x9D"),
            "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D");
}

TEST(SaveHeader, ScreenshotsUpTo1024OnASide) {
  const std::tuple<std::uint32_t, std::uint32_t, bool> cases[] = {
      {kMaxScreenshotSide, kMaxScreenshotSide, true},
      {0, 0, true},
      {kMaxScreenshotSide + 1, 1, false},
      {1, kMaxScreenshotSide + 1, false},
  };
  for (const auto& [width, height, read] : cases) {
    HeaderFields fields;
    fields.width = width;
    fields.height = height;
    EXPECT_EQ(ParseSaveHeader(Bytes(SaveHeaderBytes(fields))).has_value(), read) << width;
  }
}

// Parsed from memory and read from a file in both ways: nothing each time.
void ExpectNoHeader(const std::string& bytes, const std::string& what) {
  static TempFolder temp;
  const std::string path = Utf8FromPath(temp.path() / "s.ess");
  EXPECT_FALSE(ParseSaveHeader(Bytes(bytes))) << what;
  WriteFile(PathFromUtf8(path), bytes);
  EXPECT_FALSE(ReadSaveHeader(path, ScreenshotPixels::kRead)) << what;
  EXPECT_FALSE(ReadSaveHeader(path, ScreenshotPixels::kSkip)) << what;
}

TEST(SaveHeader, EveryLyingLengthIsNotAHeader) {
  HeaderFields fields;
  fields.width = 2;
  fields.height = 1;
  const std::string header = SaveHeaderBytes(fields);
  ASSERT_TRUE(ParseSaveHeader(Bytes(header)));
  const LengthOffsets at = LengthFieldOffsets(fields);
  const std::pair<std::size_t, int> lengths[] = {{at.header_size, 4},     {at.name_length, 1},
                                                 {at.location_length, 1}, {at.shot_size, 4},
                                                 {at.width, 4},           {at.height, 4}};
  // With the rest of a save behind the header, so only the header's own sizes can tell.
  const std::string rest(4096, '\0');
  for (const auto& [offset, width] : lengths) {
    for (int change : {1, -1, 0x7F}) {
      std::string lying = header;
      lying[offset] = static_cast<char>(static_cast<unsigned char>(lying[offset]) + change);
      ExpectNoHeader(lying + rest, std::to_string(offset) + " " + std::to_string(change));
    }
    std::string largest = header;
    for (int i = 0; i < width; ++i) largest[offset + i] = '\xFF';
    ExpectNoHeader(largest + rest, std::to_string(offset) + " at its largest");
  }
  for (auto [offset, byte] : {std::pair<std::size_t, char>{0, 't'},  // magic
                              {30, 124},                             // header version
                              {at.location_length - 3, 'x'},         // the name's NUL
                              {at.name_length, 0}}) {                // not even the NUL
    std::string other = header;
    other[offset] = byte;
    ExpectNoHeader(other + rest, std::to_string(offset));
  }
  fields.player_name = std::string("Al\0do", 5);
  ExpectNoHeader(SaveHeaderBytes(fields), "a NUL inside the name");
  ExpectNoHeader(std::string(4096, '\x7D'), "no header at all");
}

TEST(SaveHeader, SizeBeyondAnyHeaderIsNotRead) {
  // One byte more than the longest texts and the largest screenshot need,
  // in a file that long.
  const std::uint32_t size = 4 + 256 + 2 + 256 + 4 + 4 + 16 + 12 + 3 * 1024 * 1024 + 1;
  std::string header = SaveHeaderBytes({});
  for (int i = 0; i < 4; ++i) header[34 + i] = static_cast<char>((size >> (8 * i)) & 0xFF);
  header.resize(38 + size, '\0');
  TempFolder temp;
  const std::string path = Utf8FromPath(temp.path() / "s.ess");
  WriteFile(PathFromUtf8(path), header);
  const HeaderStatistics before = HeaderReadStatistics();
  EXPECT_FALSE(ReadSaveHeader(path));
  EXPECT_EQ(HeaderReadStatistics().bytes_read - before.bytes_read, 38u);
}

TEST(SaveHeader, LongestTextsAreRead) {
  HeaderFields fields;
  fields.player_name = std::string(254, 'n');
  fields.player_location = std::string(254, 'l');
  TempFolder temp;
  const std::string path = Utf8FromPath(temp.path() / "s.ess");
  WriteFile(PathFromUtf8(path), SaveHeaderBytes(fields));
  for (auto pixels : {ScreenshotPixels::kRead, ScreenshotPixels::kSkip}) {
    auto header = ReadSaveHeader(path, pixels);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->player_name, fields.player_name);
    EXPECT_EQ(header->player_location, fields.player_location);
  }
}

TEST(SaveHeader, CutShortAtEveryByteIsNotAHeader) {
  HeaderFields fields;
  fields.width = 2;
  fields.height = 1;
  const std::string header = SaveHeaderBytes(fields);
  for (std::size_t size = 0; size < header.size(); ++size) {
    ExpectNoHeader(header.substr(0, size), std::to_string(size));
  }
  // Cut inside the pixels of a screenshot larger than the fields' longest reach.
  const std::string large = SaveHeaderBytes({});
  ExpectNoHeader(large.substr(0, large.size() - 1), "one pixel byte short");
}

TEST(SaveHeader, PlayTimeAsHoursMinutesSeconds) {
  const std::pair<std::uint32_t, std::string> cases[] = {
      {0, "0:00:00"},
      {999, "0:00:00"},
      {3'723'000, "1:02:03"},
      {36'000'000, "10:00:00"},
      {4'294'967'295u, "1193:02:47"},
  };
  for (const auto& [ms, text] : cases) EXPECT_EQ(FormatPlayTime(ms), text) << ms;
}

}  // namespace
}  // namespace pelloquin
