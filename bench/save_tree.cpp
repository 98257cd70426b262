// Generating, checking and resetting the benchmark's save folder.
#include "save_tree.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <map>
#include <stdexcept>

#include "paths.h"

namespace pelloquin::bench {

namespace fs = std::filesystem;

namespace {

// No name is part of another name, a place or the words around them, so the
// loaded character's name matches only its own saves.
constexpr std::array<std::string_view, 12> kNames = {"Brutus",   "Aldo",   "Beryl",   "Caspian",
                                                     "Delphine", "Eirik",  "Faelyn",  "Gaius",
                                                     "Hjolfr",   "Ismene", "Jorvath", "Kethra"};
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

void WriteGenerated(const fs::path& path, std::vector<char>& bytes, std::uint64_t size,
                    std::uint64_t serial) {
  // Each file starts differently; the rest is shared random text.
  auto stamp = std::to_string(serial);
  std::copy_n(stamp.begin(), std::min<std::size_t>(stamp.size(), size), bytes.begin());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(size));
  if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
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
  if (shape.saves_per_character < 1 || shape.save_size < 64) {
    throw std::invalid_argument("each character needs a save of at least 64 bytes");
  }
  SaveTree tree;
  tree.save_folder = save_folder;
  fs::create_directories(save_folder);
  auto bytes = RandomBytes(shape.save_size);
  const std::uint64_t obse_size = std::max<std::uint64_t>(shape.save_size / 32, 1);
  const std::uint64_t pluggy_size = std::max<std::uint64_t>(shape.save_size / 128, 1);
  std::uint64_t serial = 0;
  auto write = [&](FileSet& set, std::string file, std::uint64_t size) {
    WriteGenerated(save_folder / PathFromUtf8(file), bytes, size, ++serial);
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
      std::string stem = "Save " + std::to_string(number) + " - " + character.name + " - " +
                         std::string(kPlaces[number % kPlaces.size()]) + ", Level " +
                         std::to_string(1 + m / 8);
      write(character, stem + ".ess", shape.save_size);
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
