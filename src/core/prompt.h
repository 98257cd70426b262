// The one way any unit talks to the user: message boxes and the open-file dialog.
// The windows implement it with real dialogs; tests answer it from a script.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pelloquin {

enum class MessageIcon { None, Critical, Warning, Information };

inline constexpr std::string_view kDefaultMessageTitle = "Pelloquin";

class Prompt {
 public:
  virtual ~Prompt() = default;

  // A modal message box with one OK button. `details`, when given, is the
  // whole of what `text` shortens, for a toolkit that can fold it away.
  virtual void ShowMessage(std::string_view text, MessageIcon icon,
                           std::string_view title = kDefaultMessageTitle,
                           std::string_view details = {}) = 0;

  // An open-file dialog with one filter entry, opened in `start_folder` when
  // that is given. Returns the chosen file's full path, or nothing when the
  // user cancels.
  virtual std::optional<std::string> ChooseFile(std::string_view filter_description,
                                                std::string_view filter_pattern,
                                                std::string_view start_folder = {}) = 0;
};

}  // namespace pelloquin
