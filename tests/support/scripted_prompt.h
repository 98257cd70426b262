// A Prompt that records every message and answers file dialogs from a script.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "core/prompt.h"

namespace pelloquin::testing {

struct ShownMessage {
  std::string text;
  MessageIcon icon;
  std::string title;
  std::string details;
};

class ScriptedPrompt : public Prompt {
 public:
  void ShowMessage(std::string_view text, MessageIcon icon, std::string_view title,
                   std::string_view details) override;
  std::optional<std::string> ChooseFile(std::string_view filter_description,
                                        std::string_view filter_pattern,
                                        std::string_view start_folder) override;

  // The next file dialog returns this path; std::nullopt stands for Cancel.
  void QueueFileChoice(std::optional<std::string> choice) { file_choices_.push_back(choice); }

  std::vector<ShownMessage> messages;
  struct FileDialog {
    std::string filter_description;
    std::string filter_pattern;
    std::string start_folder;
  };
  std::vector<FileDialog> file_dialogs;

 private:
  std::deque<std::optional<std::string>> file_choices_;
};

}  // namespace pelloquin::testing
