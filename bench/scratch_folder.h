// A benchmark's own folder: made afresh under a parent, removed with all it
// holds however the run ends (unless asked to keep it).
#pragma once

#include <filesystem>
#include <string_view>

namespace pelloquin::bench {

class ScratchFolder {
 public:
  // A new folder "<parent>/<prefix>-XXXXXX"; on failure path() is empty and
  // the reason was printed.
  ScratchFolder(const std::filesystem::path& parent, std::string_view prefix, bool keep = false);
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
  bool keep_;
};

}  // namespace pelloquin::bench
