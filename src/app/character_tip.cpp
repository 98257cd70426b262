// What the pointer resting on a character shows.
#include "app/character_tip.h"

#include <ctime>

namespace pelloquin {

namespace {

// The save's date in the user's own time zone, to the minute.
std::string LocalDate(std::chrono::system_clock::time_point when) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &seconds);
#else
  localtime_r(&seconds, &local);
#endif
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
  return text;
}

bool Lacks(const std::optional<std::set<std::string>>& list, const std::string& key) {
  return list && !list->contains(key);
}

// The lines about the save's plugins.
void AddPlugins(std::vector<std::string>& lines,
                const std::optional<std::vector<std::string>>& plugins,
                const InstalledPlugins& installed) {
  if (!plugins) {
    lines.emplace_back("The plugins could not be read");
    return;
  }
  const std::size_t count = plugins->size();
  lines.push_back(count == 0   ? std::string("No plugins")
                  : count == 1 ? std::string("1 plugin")
                               : std::to_string(count) + " plugins");
  if (count == 0) return;
  std::vector<std::string> missing, inactive;
  for (const std::string& name : *plugins) {
    const std::string key = PluginKey(name);
    if (Lacks(installed.present, key)) {
      missing.push_back(std::string(kMissingMark) + name);
    } else if (Lacks(installed.active, key)) {
      inactive.push_back(std::string(kInactiveMark) + name);
    }
  }
  std::vector<std::string> shown = std::move(missing);
  shown.insert(shown.end(), inactive.begin(), inactive.end());
  if (shown.empty()) {
    if (installed.present && installed.active) {
      lines.emplace_back("All plugins present and active");
      return;
    }
    shown = *plugins;  // nothing to compare them with
  }
  for (std::size_t i = 0; i < shown.size() && i < kMaxTipPlugins; ++i) lines.push_back(shown[i]);
  if (shown.size() > kMaxTipPlugins) {
    lines.push_back("and " + std::to_string(shown.size() - kMaxTipPlugins) + " more");
  }
}

}  // namespace

CharacterTip MakeCharacterTip(const LatestSave& latest, const InstalledPlugins& installed) {
  CharacterTip tip;
  if (latest.file_name.empty()) {
    tip.lines.push_back("No saves");
    return tip;
  }
  if (latest.header) {
    const SaveHeader& header = *latest.header;
    tip.lines.push_back(header.player_location);
    tip.lines.push_back("Level " + std::to_string(header.player_level));
    tip.lines.push_back("Played " + FormatPlayTime(header.play_time_ms));
    if (!header.screenshot.rgb.empty()) tip.picture = header.screenshot;
  } else {
    tip.lines.push_back(latest.file_name);
  }
  tip.lines.push_back("Saved " + LocalDate(latest.modified));
  tip.lines.push_back(latest.save_count == 1 ? "1 save"
                                             : std::to_string(latest.save_count) + " saves");
  if (latest.header) AddPlugins(tip.lines, latest.header->plugins, installed);
  return tip;
}

}  // namespace pelloquin
