// Message boxes and the open-file dialog, shown with Qt.
#pragma once

#include "core/prompt.h"

namespace pelloquin {

class QtPrompt : public Prompt {
 public:
  void ShowMessage(std::string_view text, MessageIcon icon, std::string_view title,
                   std::string_view details) override;
  // The path comes back with the platform's separators.
  std::optional<std::string> ChooseFile(std::string_view filter_description,
                                        std::string_view filter_pattern,
                                        std::string_view start_folder) override;
};

}  // namespace pelloquin
