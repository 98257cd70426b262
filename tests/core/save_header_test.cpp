// Reading save headers built from the game's format, whole, lying and cut short.
#include "core/save_header.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <tuple>

#include "core/paths.h"
#include "core/test_seams.h"
#include "save_header_bytes.h"
#include "support/temp_folder.h"

#ifndef _WIN32
#include "support/hostile_files.h"
#endif

namespace pelloquin {
namespace {

using namespace pelloquin::testing;

std::span<const std::uint8_t> Bytes(const std::string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

class SaveHeaderTest : public FolderTest {
 protected:
  // Writes the file and reads its header, counting the bytes read.
  std::optional<SaveHeader> Read(const std::string& bytes, ScreenshotPixels pixels) {
    WriteFile(PathFromUtf8(path_), bytes);
    const std::uint64_t before = HeaderReadStatistics().bytes_read;
    auto header = ReadSaveHeader(path_, pixels);
    bytes_read_ = HeaderReadStatistics().bytes_read - before;
    return header;
  }
  void ExpectNoHeader(const std::string& bytes, const std::string& what) {
    EXPECT_FALSE(ParseSaveHeader(Bytes(bytes))) << what;
    EXPECT_FALSE(Read(bytes, ScreenshotPixels::kRead)) << what;
    EXPECT_FALSE(Read(bytes, ScreenshotPixels::kSkip)) << what;
  }

  std::string path_ = JoinPath(temp_.text(), "Save 12 - \xC3\x81sgeir - x.ess");  // UTF-8
  std::uint64_t bytes_read_ = 0;
};

TEST_F(SaveHeaderTest, ReadsEveryFieldAndNothingAfterThePluginList) {
  HeaderFields fields;
  fields.player_name = "\xC1sgeir \x80\x9F\x81";  // Windows-1252; 0x81 is undefined there
  fields.player_location = "Balmora, Kriegergilde";
  const std::string header = SaveHeaderBytes(fields);
  const std::string save = header + std::string(1 << 20, 'x');
  std::vector<std::uint8_t> pixels(256 * 144 * 3);
  for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = PixelByte(i);

  for (auto pixels_read : {ScreenshotPixels::kRead, ScreenshotPixels::kSkip}) {
    auto read = Read(save, pixels_read);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->player_name, "\xC3\x81sgeir \xE2\x82\xAC\xC5\xB8\xC2\x81");
    EXPECT_EQ(read->player_level, 7);
    EXPECT_EQ(read->player_location, "Balmora, Kriegergilde");
    EXPECT_EQ(read->play_time_ms, 3'723'000u);
    EXPECT_EQ(read->screenshot.width, 256u);
    EXPECT_EQ(read->screenshot.height, 144u);
    const bool all = pixels_read == ScreenshotPixels::kRead;
    EXPECT_EQ(read->screenshot.rgb, all ? pixels : std::vector<std::uint8_t>{});
    EXPECT_LE(bytes_read_, all ? header.size() + kMaxPluginListBytes : 592u);
  }
  EXPECT_EQ(ParseSaveHeader(Bytes(save))->screenshot.rgb, pixels);

  // The longest texts reach furthest into the fields read without the pixels.
  fields.player_name = std::string(254, 'n');
  fields.player_location = std::string(254, 'l');
  auto longest = Read(SaveHeaderBytes(fields), ScreenshotPixels::kSkip);
  ASSERT_TRUE(longest);
  EXPECT_EQ(longest->player_location, fields.player_location);
  EXPECT_FALSE(ReadSaveHeader(JoinPath(temp_.text(), "absent.ess")));
}

TEST_F(SaveHeaderTest, ScreenshotsUpTo1024OnASide) {
  for (auto [width, height, read] : {std::tuple{1024u, 1024u, true}, std::tuple{0u, 0u, true},
                                     std::tuple{1025u, 1u, false}, std::tuple{1u, 1025u, false}}) {
    HeaderFields fields;
    fields.width = width;
    fields.height = height;
    EXPECT_EQ(ParseSaveHeader(Bytes(SaveHeaderBytes(fields))).has_value(), read) << width;
  }
}

TEST_F(SaveHeaderTest, EveryLyingLengthIsNotAHeader) {
  HeaderFields fields;
  fields.width = 2;
  fields.height = 1;
  const std::string header = SaveHeaderBytes(fields);
  const LengthOffsets at = LengthFieldOffsets(fields);
  // With the rest of a save behind the header, so only the header's own sizes can tell.
  const std::string rest(4096, '\0');
  for (auto [offset, width] : {std::pair{at.header_size, 4},
                               {at.name_length, 1},
                               {at.location_length, 1},
                               {at.shot_size, 4},
                               {at.width, 4},
                               {at.height, 4}}) {
    for (int change : {1, -1, 0x7F}) {
      std::string lying = header;
      lying[offset] = static_cast<char>(static_cast<unsigned char>(lying[offset]) + change);
      ExpectNoHeader(lying + rest, std::to_string(offset) + " " + std::to_string(change));
    }
    std::string largest = header;
    largest.replace(offset, width, width, '\xFF');
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

  // A size one byte beyond the longest texts and largest screenshot, in a
  // file that long: nothing is read after the size.
  const std::uint32_t beyond = 4 + 256 + 2 + 256 + 4 + 4 + 16 + 12 + 3 * 1024 * 1024 + 1;
  std::string huge = header;
  for (int i = 0; i < 4; ++i) huge[34 + i] = static_cast<char>((beyond >> (8 * i)) & 0xFF);
  huge.resize(38 + beyond, '\0');
  EXPECT_FALSE(Read(huge, ScreenshotPixels::kRead));
  EXPECT_EQ(bytes_read_, 38u);
}

TEST_F(SaveHeaderTest, CutShortAtEveryByteIsNotAHeader) {
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

// Plugin `i` of a list, as stored (Windows-1252) and as read (UTF-8): "€",
// a run of "é" that brings some names to the full 255 bytes, a number and
// an extension in either case.
std::pair<std::string, std::string> Plugin(std::size_t i, std::size_t filler) {
  char number[24];
  std::snprintf(number, sizeof number, "%03zu", i);
  const std::string tail = std::string("Mod") + number + (i % 2 == 0 ? ".esp" : ".ESM");
  std::string utf8 = "\xE2\x82\xAC";
  for (std::size_t k = 0; k < filler; ++k) utf8 += "\xC3\xA9";
  return {"\x80" + std::string(filler, '\xE9') + tail, utf8 + tail};
}

TEST_F(SaveHeaderTest, PluginListsOfEveryLengthRead) {
  HeaderFields fields;
  fields.width = 2;
  fields.height = 1;
  const std::string header = SaveHeaderBytes(fields);
  const std::string rest = "\x10\x02\x00\x00" + std::string(256, '\x07');
  for (auto [count, longest] :
       {std::pair{0u, false}, {1u, false}, {39u, false}, {255u, false}, {255u, true}}) {
    std::vector<std::string> stored, read;
    for (std::size_t i = 0; i < count; ++i) {
      auto [raw, utf8] = Plugin(i, longest ? 244 : i * 11 % 245);
      stored.push_back(raw);
      read.push_back(utf8);
    }
    const std::string save = header + PluginListBytes(stored) + rest;
    const auto parsed = ParseSaveHeader(Bytes(save));
    ASSERT_TRUE(parsed) << count;
    EXPECT_EQ(parsed->plugins, read) << count;
    const auto from_file = Read(save, ScreenshotPixels::kRead);
    ASSERT_TRUE(from_file) << count;
    EXPECT_EQ(from_file->plugins, read) << count;
    EXPECT_LE(bytes_read_, header.size() + kMaxPluginListBytes);
    EXPECT_FALSE(Read(save, ScreenshotPixels::kSkip)->plugins) << count;
  }
}

TEST_F(SaveHeaderTest, PluginListCutOrLyingIsNoListButTheHeaderReads) {
  HeaderFields fields;
  fields.width = 2;
  fields.height = 1;
  const std::string header = SaveHeaderBytes(fields);
  const std::vector<std::string> names = {"Oblivion.esm", "Knights.esp", "Mod.esp"};
  const std::string list = PluginListBytes(names);
  auto expect_no_list = [&](const std::string& save, const std::string& what) {
    const auto parsed = ParseSaveHeader(Bytes(save));
    ASSERT_TRUE(parsed) << what;
    EXPECT_FALSE(parsed->plugins) << what;
    const auto from_file = Read(save, ScreenshotPixels::kRead);
    ASSERT_TRUE(from_file) << what;
    EXPECT_FALSE(from_file->plugins) << what;
  };
  for (std::size_t size = 0; size < list.size(); ++size) {
    expect_no_list(header + list.substr(0, size), "cut at " + std::to_string(size));
  }
  // Lengths that lie, with the rest of a save behind the list.
  const std::string rest = "\x10\x02\x00\x00" + std::string(4096, '\x07');
  for (auto [offset, byte] : {std::pair<std::size_t, int>{0, 4},  // one name more than there are
                              {0, 255},
                              {1, 13},  // the first name's length, one too long
                              {1, 11},  // one too short
                              {1, 0},
                              {1, 255}}) {
    std::string lying = list;
    lying[offset] = static_cast<char>(byte);
    expect_no_list(header + lying + rest, std::to_string(offset) + " " + std::to_string(byte));
  }
  for (const char* name : {"Knights.txt", "Kni\x01ghts.esp", "a\\b.esp", ".esp", "Knights.es"}) {
    expect_no_list(header + PluginListBytes({"Oblivion.esm", name}) + rest, name);
  }
}

#ifndef _WIN32
// A save's name on a FIFO or a device: the sorting reads the headers of such
// names before the window shows, and must neither wait nor read without end.
TEST_F(SaveHeaderTest, ASaveThatIsNoRegularFileIsNoHeaderAndNotWaitedOn) {
  for (const HostileFile& file : HostileFiles()) {
    const std::string folder = JoinPath(temp_.text(), file.label);
    file.make(PathFromUtf8(JoinPath(folder, "Save 3 - Walks-In-Shadows - Bruma.ess")));
    const auto outcome = RunInChild([&] {
      const bool header = ReadSaveHeader(JoinPath(folder, "Save 3 - Walks-In-Shadows - Bruma.ess"),
                                         ScreenshotPixels::kSkip)
                              .has_value();
      return (header ? "a header, " : "no header, ") +
             CharacterOfSave(folder, "Save 3 - Walks-In-Shadows - Bruma.ess");
    });
    ASSERT_TRUE(outcome) << "reading " << file.label << " did not end within its deadline";
    EXPECT_EQ(*outcome, "no header, Walks") << file.label;
  }
}
#endif

TEST(SaveHeader, PlayTimeAsHoursMinutesSeconds) {
  for (auto [ms, text] : {std::pair<std::uint32_t, const char*>{0, "0:00:00"},
                          {999, "0:00:00"},
                          {3'723'000, "1:02:03"},
                          {36'000'000, "10:00:00"},
                          {4'294'967'295u, "1193:02:47"}}) {
    EXPECT_EQ(FormatPlayTime(ms), text) << ms;
  }
}

}  // namespace
}  // namespace pelloquin
