// What the pointer resting on a character shows.
#include "character_tip.h"

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

}  // namespace

CharacterTip MakeCharacterTip(const LatestSave& latest) {
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
  return tip;
}

}  // namespace pelloquin
