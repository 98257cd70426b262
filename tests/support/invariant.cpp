// Snapshots of a save folder and the checks that nothing in it was lost.
#include "support/invariant.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>
#include <fstream>
#include <limits>
#include <map>
#include <set>

#include "core/file_transfer.h"
#include "core/paths.h"
#include "core/save_names.h"
#include "core/test_seams.h"

namespace pelloquin {

void PrintTo(const Failure& failure, std::ostream* out) {
  *out << "{" << failure.path << ": " << failure.reason << "}";
}

}  // namespace pelloquin

namespace pelloquin::testing {

namespace {

namespace fs = std::filesystem;

constexpr std::array<std::string_view, 3> kExtensions = {".ess", ".obse", ".pluggy"};

bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix) {
  if (text.size() <= suffix.size()) return false;
  text.remove_prefix(text.size() - suffix.size());
  return std::equal(text.begin(), text.end(), suffix.begin(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == b;
  });
}

// Saves (".ess") and the co-saves that travel with them (".obse", ".pluggy").
bool IsSaveOrCoSave(std::string_view name) {
  return std::any_of(kExtensions.begin(), kExtensions.end(),
                     [&](auto extension) { return EndsWithIgnoringCase(name, extension); });
}

constexpr std::uint64_t kHashStart = 14695981039346656037ull;  // FNV-1a

std::uint64_t AddToHash(std::uint64_t hash, std::string_view bytes) {
  for (char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  return hash;
}

std::uint64_t HashFile(const fs::path& path, std::uint64_t& size) {
  std::ifstream in(path, std::ios::binary);
  std::uint64_t hash = kHashStart;
  size = 0;
  char buffer[64 * 1024];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    hash = AddToHash(hash, std::string_view(buffer, static_cast<std::size_t>(in.gcount())));
    size += static_cast<std::uint64_t>(in.gcount());
  }
  return hash;
}

std::int64_t ModifiedNanoseconds(const fs::path& path) {
  auto time = std::chrono::file_clock::to_sys(fs::last_write_time(path));
  return std::chrono::duration_cast<std::chrono::nanoseconds>(time.time_since_epoch()).count();
}

// The folder a save or co-save belongs in: the character of the save it goes with.
std::string CharacterFolderOf(const std::string& name) {
  std::string save = name;
  for (auto extension : kExtensions) {
    if (EndsWithIgnoringCase(name, extension)) {
      save = name.substr(0, name.size() - extension.size()) + ".ess";
      break;
    }
  }
  return IsQualifyingSave(save) ? CharacterNameOf(save) : std::string();
}

std::string Describe(const SavedFile& file) {
  std::string where = file.folder.empty() ? "save folder" : "folder \"" + file.folder + "\"";
  return "\"" + file.name + "\" in the " + where + " (" + std::to_string(file.size) + " bytes, " +
         std::to_string(file.mtime) + ")";
}

bool SameVersion(const SavedFile& a, const SavedFile& b) {
  return a.hash == b.hash && a.size == b.size && a.mtime == b.mtime;
}

using Versions = std::map<std::string, std::vector<const SavedFile*>>;

Versions VersionsByName(const SaveSnapshot& snapshot) {
  Versions versions;
  for (const auto& file : snapshot) versions[file.name].push_back(&file);
  return versions;
}

std::vector<std::string> NewestMissing(const Versions& versions, const SaveSnapshot& after) {
  std::vector<std::string> problems;
  for (const auto& [name, found] : versions) {
    std::int64_t newest = std::numeric_limits<std::int64_t>::min();
    for (const auto* file : found) newest = std::max(newest, file->mtime);
    std::set<std::string> places = {"", CharacterFolderOf(name)};
    for (const auto* file : found) places.insert(file->folder);
    bool kept = std::any_of(after.begin(), after.end(), [&](const SavedFile& now) {
      return places.contains(now.folder) &&
             std::any_of(found.begin(), found.end(), [&](const SavedFile* was) {
               return was->name == now.name && was->mtime == newest && SameVersion(*was, now);
             });
    });
    if (!kept) problems.push_back("the newest version of \"" + name + "\" is lost");
  }
  return problems;
}

}  // namespace

SaveSnapshot TakeSnapshot(const fs::path& save_folder) {
  SaveSnapshot snapshot;
  // Files whose names end in `suffix`, found under their names without it.
  auto add_folder = [&](const fs::path& folder, const std::string& folder_name,
                        std::string_view suffix = {}) {
    for (const auto& entry : fs::directory_iterator(folder)) {
      if (!entry.is_regular_file() || entry.is_symlink()) continue;
      std::string name = Utf8FromPath(entry.path().filename());
      if (!name.ends_with(suffix)) continue;
      name.resize(name.size() - suffix.size());
      if (!IsSaveOrCoSave(name)) continue;
      SavedFile file{folder_name, name, 0, 0, ModifiedNanoseconds(entry.path())};
      file.hash = HashFile(entry.path(), file.size);
      snapshot.push_back(std::move(file));
    }
  };
  add_folder(save_folder, "");
  for (const auto& entry : fs::directory_iterator(save_folder)) {
    if (!entry.is_directory() || entry.is_symlink()) continue;
    const std::string name = Utf8FromPath(entry.path().filename());
    if (name != kHoldingFolderName) {
      add_folder(entry.path(), name);
      continue;
    }
    // Saves waiting there for their removal, by their own names.
    for (const auto& character : fs::directory_iterator(entry.path())) {
      if (!character.is_directory() || character.is_symlink()) continue;  // its mark
      add_folder(character.path(), name + "/" + Utf8FromPath(character.path().filename()),
                 kHeldSuffix);
    }
  }
  return snapshot;
}

std::uint64_t ContentHash(std::string_view content) {
  return AddToHash(kHashStart, content);
}

std::vector<std::string> CheckNewestKept(const SaveSnapshot& before, const fs::path& save_folder) {
  return NewestMissing(VersionsByName(before), TakeSnapshot(save_folder));
}

std::vector<std::string> CheckNothingLost(const SaveSnapshot& before, const fs::path& save_folder) {
  SaveSnapshot after = TakeSnapshot(save_folder);
  Versions versions = VersionsByName(before);
  std::vector<std::string> problems = NewestMissing(versions, after);
  for (const auto& now : after) {
    auto known = versions.find(now.name);
    bool whole = known != versions.end() &&
                 std::any_of(known->second.begin(), known->second.end(),
                             [&](const SavedFile* was) { return SameVersion(*was, now); });
    if (!whole) problems.push_back(Describe(now) + " is not a version that existed before");
  }
  return problems;
}

std::vector<std::string> TemporaryFilesUnder(const fs::path& save_folder) {
  std::vector<std::string> found;
  for (const auto& entry : fs::recursive_directory_iterator(save_folder)) {
    std::string name = Utf8FromPath(entry.path().filename());
    if (files::IsTemporaryName(name)) found.push_back(Utf8FromPath(entry.path()));
  }
  return found;
}

std::vector<std::string> TreeOutside(const fs::path& root, const fs::path& excluded) {
  // A folder's time tells of a file made and removed again inside it.
  std::vector<std::string> lines = {"./ " + std::to_string(ModifiedNanoseconds(root))};
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
       ++it) {
    const fs::path& path = it->path();
    if (path == excluded) {
      it.disable_recursion_pending();
      continue;
    }
    std::string line = Utf8FromPath(path.lexically_relative(root));
    if (it->is_symlink()) {
      line += " -> " + Utf8FromPath(fs::read_symlink(path));
    } else if (it->is_regular_file()) {
      std::uint64_t size = 0;
      std::uint64_t hash = HashFile(path, size);
      line += " " + std::to_string(size) + " " + std::to_string(hash) + " " +
              std::to_string(ModifiedNanoseconds(path));
    } else if (it->is_directory()) {
      line += "/ " + std::to_string(ModifiedNanoseconds(path));
    }
    lines.push_back(std::move(line));
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

long SweepFaults(const std::function<void()>& setup, const std::function<Failures()>& operation,
                 const std::function<void(long fail_at, const Failures&)>& check,
                 fault::Mode mode) {
  const char* how = mode == fault::Mode::kOneCall ? " failed" : " and every one after failed";
  long total = 0;
  for (long fail_at = 0; fail_at <= total; ++fail_at) {
    SCOPED_TRACE(fail_at == 0
                     ? "no call failed"
                     : "call " + std::to_string(fail_at) + " of " + std::to_string(total) + how);
    setup();
    fault::Reset(fail_at, mode);
    const Failures failures = operation();
    if (fail_at == 0) total = fault::GetInjector().calls;
    fault::Reset();
    check(fail_at, failures);
    if (::testing::Test::HasFailure()) break;
  }
  EXPECT_GT(total, 0) << "the operation made no call that could fail";
  return total;
}

const std::vector<std::string>& HostileNames() {
  static const std::vector<std::string> names = {
      // Folders at or above the save folder, and paths.
      ".", "..", "../Outside", "..\\Outside", "Saves/../..", "Aldo/../..", "Aldo\\..\\..", "/",
      "/tmp", "a/b", "a\\b",
      // What no folder name on some system may hold.
      "\t", "tab\there", "\xFF\xFE", "\xFF\xFE\xC0", std::string(300, 'y'), "CON", "NUL", "COM1",
      "", " "};
  return names;
}

}  // namespace pelloquin::testing
