#include "support/scripted_prompt.h"

#include <gtest/gtest.h>

namespace pelloquin::testing {

void ScriptedPrompt::ShowMessage(std::string_view text, MessageIcon icon, std::string_view title,
                                 std::string_view details) {
  messages.push_back({std::string(text), icon, std::string(title), std::string(details)});
}

std::optional<std::string> ScriptedPrompt::ChooseFile(std::string_view filter_description,
                                                      std::string_view filter_pattern,
                                                      std::string_view start_folder) {
  file_dialogs.push_back(
      {std::string(filter_description), std::string(filter_pattern), std::string(start_folder)});
  if (file_choices_.empty()) {
    ADD_FAILURE() << "a file dialog was opened that the test did not expect";
    return std::nullopt;
  }
  auto choice = file_choices_.front();
  file_choices_.pop_front();
  return choice;
}

}  // namespace pelloquin::testing
