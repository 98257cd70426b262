// The one way any unit talks to the user: message boxes and the open-file dialog.
// The GUI implements it with real dialogs; tests answer it from a script.
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

  // A modal message box with one OK button.
  virtual void ShowMessage(std::string_view text, MessageIcon icon,
                           std::string_view title = kDefaultMessageTitle) = 0;

  // An open-file dialog with one filter entry. Returns the chosen file's full
  // path, or nothing when the user cancels.
  virtual std::optional<std::string> ChooseFile(std::string_view filter_description,
                                                std::string_view filter_pattern) = 0;
};

}  // namespace pelloquin
