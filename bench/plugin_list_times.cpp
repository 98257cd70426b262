#include "plugin_list_times.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "figures.h"
#include "platform/plugin_lists.h"
#include "step_process.h"

namespace pelloquin::bench {

namespace fs = std::filesystem;

ListTimes MeasurePluginLists(const fs::path& root, int runs) {
  const PluginListPaths paths{root / "Local" / "Oblivion" / "Plugins.txt", root / "Game" / "Data"};
  fs::create_directories(paths.data_folder);
  fs::create_directories(paths.active_list.parent_path());
  std::string active =
      "# This file is used by the game to keep track of your downloaded content.\r\n";
  for (int i = 0; i < kPluginFiles; ++i) {
    const std::string name = "Plugin " + std::to_string(i) + (i % 10 == 0 ? ".esm" : ".esp");
    active += name + "\r\n";
    std::ofstream(paths.data_folder / name) << "TES4";
    std::ofstream(paths.data_folder / ("Textures " + std::to_string(i) + ".bsa")) << "BSA";
  }
  std::ofstream(paths.active_list, std::ios::binary) << active;
  FlushFileSystem(root);
  ListTimes times;
  std::vector<double> seconds;
  for (int run = 0; run <= runs; ++run) {
    const auto start = std::chrono::steady_clock::now();
    const InstalledPlugins installed = ReadInstalledPlugins(paths);
    const double took =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!installed.active || installed.active->size() != kPluginFiles || !installed.present ||
        installed.present->size() != kPluginFiles) {
      std::fprintf(stderr, "The plugin lists did not read as written\n");
      std::exit(1);
    }
    if (run == 0) {
      times.first = took;
    } else {
      seconds.push_back(took);
    }
  }
  times.median = Median(seconds);
  return times;
}

}  // namespace pelloquin::bench
