// A small RAM file system mounted for the length of one test, so that a test
// can run an operation out of room, or on a read-only disk, without a real one.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace pelloquin::testing {

class TmpfsMount {
 public:
  // Mounts a tmpfs of `bytes` on `folder` (made if missing). Needs root;
  // check mounted() and skip with reason() when it failed.
  TmpfsMount(const std::filesystem::path& folder, std::size_t bytes);
  ~TmpfsMount();
  TmpfsMount(const TmpfsMount&) = delete;
  TmpfsMount& operator=(const TmpfsMount&) = delete;

  bool mounted() const { return mounted_; }
  // Mounts it again read-only, as a write-protected disk is; true when done.
  bool MakeReadOnly();
  const std::string& reason() const { return reason_; }

 private:
  std::filesystem::path folder_;
  bool mounted_ = false;
  std::string reason_;
};

// Writes zeros to a new file until the file system has no room left.
void FillUp(const std::filesystem::path& file);

}  // namespace pelloquin::testing
