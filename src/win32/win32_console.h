// The command line of a program without a console of its own: its arguments,
// and the answer shown where the user who started it will see it.
#pragma once

#include <string>
#include <vector>

#include "command_line.h"
#include "prompt.h"

namespace pelloquin {

// The program's arguments, without its own name, in UTF-8.
std::vector<std::string> CommandLineArguments();

// Writes the answer's text to standard output (standard error for a refusal):
// to the file, pipe or console it is given, else to the console of the
// program that started this one; with neither, shows it in a message box.
void ShowCommandLineAnswer(const CommandLineAnswer& answer, Prompt& prompt);

}  // namespace pelloquin
