// Generating, checking and resetting the benchmark's save folder.
#include "save_tree.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <map>
#include <stdexcept>

#include "core/paths.h"
#include "core/save_names.h"
#include "save_header_bytes.h"

namespace pelloquin::bench {

namespace fs = std::filesystem;

namespace {

// No name is part of another name, a place or the words around them, so the
// loaded character's name matches only its own saves. The first two share the
// part before their hyphen, which is all their file names' rule would give:
// only their headers tell them apart.
constexpr std::array<std::string_view, 14> kNames = {
    "Walks-In-Shadows", "Walks-On-Ice", "Brutus",  "Aldo",   "Beryl",
    "Caspian",          "Delphine",     "Eirik",   "Faelyn", "Gaius",
    "Hjolfr",           "Ismene",       "Jorvath", "Kethra"};
constexpr std::array<std::string_view, 9> kPlaces = {"Imperial City", "Chorrol",  "Bravil",
                                                     "Skingrad",      "Anvil",    "Cheydinhal",
                                                     "Bruma",         "Leyawiin", "Kvatch"};

// Pseudo-random bytes, so no layer below can compress or share them.
std::vector<char> RandomBytes(std::uint64_t size) {
  std::vector<char> bytes(size);
  std::uint64_t state = 0x9E3779B97F4A7C15ull;
  for (auto& byte : bytes) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    byte = static_cast<char>(state >> 56);
  }
  return bytes;
}

// `start` and then the shared random bytes up to `size`, so each file starts
// differently.
void WriteGenerated(const fs::path& path, const std::vector<char>& bytes, std::uint64_t size,
                    const std::string& start) {
  const std::size_t own = std::min<std::size_t>(start.size(), size);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(start.data(), static_cast<std::streamsize>(own));
  out.write(bytes.data() + own, static_cast<std::streamsize>(size - own));
  if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
}

// The game's 256 x 144 screenshot, or a smaller one of the same shape when
// that would fill more than half of a save.
std::pair<std::uint32_t, std::uint32_t> ScreenshotSize(std::uint64_t save_size) {
  std::uint32_t width = 256;
  while (width > 32 && std::uint64_t{width} * (width * 9 / 16) * 3 + 1024 > save_size / 2) {
    width /= 2;
  }
  return {width, width * 9 / 16};
}

std::map<std::string, std::uint64_t> FilesOf(const fs::path& folder) {
  std::map<std::string, std::uint64_t> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.is_regular_file()) files[Utf8FromPath(entry.path().filename())] = entry.file_size();
  }
  return files;
}

std::string Compare(const fs::path& folder, const std::vector<const FileSet*>& sets) {
  std::error_code error;
  if (!fs::is_directory(folder, error)) return folder.string() + ": missing";
  auto found = FilesOf(folder);
  std::size_t expected = 0;
  for (const FileSet* set : sets) {
    for (std::size_t i = 0; i < set->files.size(); ++i) {
      auto it = found.find(set->files[i]);
      if (it == found.end()) return folder.string() + ": lacks " + set->files[i];
      if (it->second != set->sizes[i]) return folder.string() + ": wrong size of " + it->first;
    }
    expected += set->files.size();
  }
  if (found.size() != expected) {
    return folder.string() + ": " + std::to_string(found.size()) + " files instead of " +
           std::to_string(expected);
  }
  return {};
}

}  // namespace

void FileSet::Add(std::string file, std::uint64_t size) {
  files.push_back(std::move(file));
  sizes.push_back(size);
  bytes += size;
}

std::uint64_t FileSet::HeaderSaves() const {
  return static_cast<std::uint64_t>(std::count_if(files.begin(), files.end(), [](const auto& f) {
    return f.ends_with(".ess") && MayCutHyphenatedName(f);
  }));
}

const FileSet& SaveTree::Character(std::string_view name) const {
  for (const auto& set : characters) {
    if (set.name == name) return set;
  }
  throw std::invalid_argument("no character " + std::string(name));
}

std::uint64_t SaveTree::QualifyingBytes() const {
  std::uint64_t total = 0;
  for (const auto& set : characters) total += set.bytes;
  return total;
}

std::uint64_t SaveTree::QualifyingFiles() const {
  std::uint64_t total = 0;
  for (const auto& set : characters) total += set.files.size();
  return total;
}

std::uint64_t SaveTree::QualifyingSaves() const {
  std::uint64_t total = 0;
  for (const auto& set : characters) {
    total += static_cast<std::uint64_t>(std::count_if(
        set.files.begin(), set.files.end(), [](const auto& f) { return f.ends_with(".ess"); }));
  }
  return total;
}

SaveTree GenerateSaveTree(const fs::path& save_folder, const TreeShape& shape) {
  if (shape.characters < 2 || shape.characters > static_cast<int>(kNames.size())) {
    throw std::invalid_argument("the number of characters must lie between 2 and " +
                                std::to_string(kNames.size()));
  }
  if (shape.saves_per_character < 1 || shape.save_size < 4096) {
    throw std::invalid_argument("each character needs a save of at least 4 KiB");
  }
  SaveTree tree;
  tree.save_folder = save_folder;
  fs::create_directories(save_folder);
  auto bytes = RandomBytes(shape.save_size);
  const std::uint64_t obse_size = std::max<std::uint64_t>(shape.save_size / 32, 1);
  const std::uint64_t pluggy_size = std::max<std::uint64_t>(shape.save_size / 128, 1);
  const auto [width, height] = ScreenshotSize(shape.save_size);
  std::uint64_t serial = 0;
  auto write = [&](FileSet& set, std::string file, std::uint64_t size, std::string start = {}) {
    if (start.empty()) start = std::to_string(++serial);
    WriteGenerated(save_folder / PathFromUtf8(file), bytes, size, start);
    set.Add(std::move(file), size);
  };

  for (int c = 0; c < shape.characters; ++c) {
    FileSet character;
    character.name = kNames[c];
    tree.characters.push_back(std::move(character));
  }
  // The game numbers saves across all characters, played in turns.
  int number = 0;
  for (int m = 0; m < shape.saves_per_character; ++m) {
    for (auto& character : tree.characters) {
      ++number;
      testing::HeaderFields header;
      header.save_number = static_cast<std::uint32_t>(number);
      header.player_name = character.name;
      header.player_level = static_cast<std::uint16_t>(1 + m / 8);
      header.player_location = kPlaces[number % kPlaces.size()];
      header.play_time_ms = static_cast<std::uint32_t>(m) * 600'000;
      header.width = width;
      header.height = height;
      std::string stem = "Save " + std::to_string(number) + " - " + character.name + " - " +
                         header.player_location + ", Level " + std::to_string(header.player_level);
      write(character, stem + ".ess", shape.save_size, testing::SaveHeaderBytes(header));
      // Every character has saves with and without co-saves of both kinds.
      if (m % 2 == 0) write(character, stem + ".obse", obse_size);
      if (m % 5 == 0) write(character, stem + ".pluggy", pluggy_size);
    }
  }
  write(tree.loose, "Autosave.ess", shape.save_size);
  write(tree.loose, "Autosave.obse", obse_size);
  write(tree.loose, "Quicksave.ess", shape.save_size);
  return tree;
}

void ResetSaveTree(const SaveTree& tree) {
  for (const auto& character : tree.characters) {
    const fs::path folder = tree.save_folder / PathFromUtf8(character.name);
    if (!fs::exists(folder)) continue;
    for (const auto& file : character.files) {
      const fs::path archived = folder / PathFromUtf8(file);
      if (fs::exists(archived)) fs::rename(archived, tree.save_folder / PathFromUtf8(file));
    }
    fs::remove_all(folder);
  }
  for (const auto& character : tree.characters) {
    for (const auto& file : character.files) {
      if (!fs::exists(tree.save_folder / PathFromUtf8(file))) {
        throw std::runtime_error("the benchmark lost " + file);
      }
    }
  }
}

std::string CheckLayout(const SaveTree& tree, std::string_view loaded) {
  if (auto difference = Compare(tree.save_folder, {&tree.loose, &tree.Character(loaded)});
      !difference.empty()) {
    return difference;
  }
  for (const auto& character : tree.characters) {
    if (auto difference = Compare(tree.save_folder / PathFromUtf8(character.name), {&character});
        !difference.empty()) {
      return difference;
    }
  }
  return {};
}

}  // namespace pelloquin::bench
