// Files no read may wait on or take whole: a FIFO, a link to /dev/zero, a
// folder under a file's name; and running such a read in a child process, so
// that a read that never ends fails the test by a deadline instead of hanging
// it. POSIX only.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pelloquin::testing {

struct HostileFile {
  const char* label;
  void (*make)(const std::filesystem::path& path);  // puts it at `path`, making its folders
};

// A FIFO no one writes to, a link to /dev/zero and a folder.
const std::vector<HostileFile>& HostileFiles();

// Runs `work` in a child process and gives the text it returned; nothing when
// the child did not end within `limit` (it is then killed) or ended other
// than by returning.
std::optional<std::string> RunInChild(const std::function<std::string()>& work,
                                      std::chrono::seconds limit = std::chrono::seconds(20));

}  // namespace pelloquin::testing
