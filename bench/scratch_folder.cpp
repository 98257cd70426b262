#include "scratch_folder.h"

#include <stdlib.h>

#include <cstdio>
#include <string>
#include <system_error>

namespace pelloquin::bench {

ScratchFolder::ScratchFolder(const std::filesystem::path& parent, std::string_view prefix,
                             bool keep)
    : keep_(keep) {
  std::string pattern = (parent / (std::string(prefix) + "-XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    std::perror(pattern.c_str());
    return;
  }
  path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  if (!keep_ && !path_.empty()) std::filesystem::remove_all(path_, ignored);
}

}  // namespace pelloquin::bench
