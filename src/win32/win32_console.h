// The command line of a program without a console of its own: its arguments,
// and the answer shown where the user who started it will see it.
#pragma once

#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/command_line_run.h"
#include "core/prompt.h"

namespace pelloquin {

// The program's arguments, without its own name, in UTF-8.
std::vector<std::string> CommandLineArguments();

// Writes the answer's text to standard output (standard error for a refusal):
// to the file, pipe or console it is given, else to the console of the
// program that started this one; with neither, shows it in a message box.
void ShowCommandLineAnswer(const CommandLineAnswer& answer, Prompt& prompt);

// A command-line run's words: to the console as above, else in message boxes.
// Between steps, the messages the system sent (the end of the session) are
// handed to the hidden main window.
class WindowsConsole : public CommandLineConsole {
 public:
  explicit WindowsConsole(Prompt& box) : box_(box) {}
  void Print(std::string_view text) override;
  void Complain(std::string_view text, std::string_view details) override;
  void Deliver() override;

 private:
  Prompt& box_;
};

}  // namespace pelloquin
