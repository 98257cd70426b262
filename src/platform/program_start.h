// Starting another program as an independent process that is not waited for.
#pragma once

#include <memory>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace pelloquin {

struct ProgramStart {
  std::string program;  // a path, or a bare name looked up on PATH
  std::vector<std::string> arguments;
  std::string working_folder;                                    // empty: the caller's
  std::vector<std::pair<std::string, std::string>> environment;  // added or replaced
};

class ProgramStarter {
 public:
  virtual ~ProgramStarter() = default;
  // Starts the program in a normal window that takes the focus; an error when
  // it cannot be started.
  virtual std::error_code Start(const ProgramStart& start) = 0;
};

std::unique_ptr<ProgramStarter> MakeSystemProgramStarter();

}  // namespace pelloquin
