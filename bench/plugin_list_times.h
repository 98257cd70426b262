// The time of reading the game's two plugin lists once, as the program does at
// start-up and after Load Save.
#pragma once

#include <filesystem>

namespace pelloquin::bench {

inline constexpr int kPluginFiles = 300;

// The first read and the median of `runs` more, in seconds.
struct ListTimes {
  double first = 0;
  double median = 0;
};

// Under `root`: a Plugins.txt naming kPluginFiles plugins and a Data folder
// holding those files among as many others. Exits when the lists do not read
// as written.
ListTimes MeasurePluginLists(const std::filesystem::path& root, int runs);

}  // namespace pelloquin::bench
