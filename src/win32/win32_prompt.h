// Message boxes and the open-file dialog, shown with Win32.
#pragma once

#include "core/prompt.h"

namespace pelloquin {

class Win32Prompt : public Prompt {
 public:
  // `details` is left out: a message box cannot fold text away.
  void ShowMessage(std::string_view text, MessageIcon icon, std::string_view title,
                   std::string_view details) override;
  std::optional<std::string> ChooseFile(std::string_view filter_description,
                                        std::string_view filter_pattern,
                                        std::string_view start_folder) override;
};

}  // namespace pelloquin
