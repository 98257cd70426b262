// A generated save folder of several characters with realistic save names,
// headers and co-saves, what each swap should leave behind, and putting it back as generated.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace pelloquin::bench {

struct TreeShape {
  int characters = 5;
  int saves_per_character = 200;
  std::uint64_t save_size = 4u << 20;
};

// A group of files that always travel together, or never move at all.
struct FileSet {
  std::string name;                // character name; empty for the files that never move
  std::vector<std::string> files;  // saves and their co-saves
  std::vector<std::uint64_t> sizes;
  std::uint64_t bytes = 0;

  void Add(std::string file, std::uint64_t size);
  // Saves whose character is decided by reading their header.
  std::uint64_t HeaderSaves() const;
};

struct SaveTree {
  std::filesystem::path save_folder;
  std::vector<FileSet> characters;
  FileSet loose;  // saves without "-" and their co-saves

  const FileSet& Character(std::string_view name) const;
  std::uint64_t QualifyingBytes() const;
  std::uint64_t QualifyingFiles() const;
  std::uint64_t QualifyingSaves() const;
};

// Writes the save folder with every character's saves in it and nothing archived.
SaveTree GenerateSaveTree(const std::filesystem::path& save_folder, const TreeShape& shape);

// Moves every archived file back into the save folder, replacing the copy
// there, and removes the character folders: only renames, nothing rewritten.
void ResetSaveTree(const SaveTree& tree);

// Empty when the save folder holds the loose files and exactly the files of
// `loaded`, and every character folder holds all of that character's files,
// each with its generated size. Otherwise the first difference found.
std::string CheckLayout(const SaveTree& tree, std::string_view loaded);

}  // namespace pelloquin::bench
