// Starting a program as an independent process on POSIX systems: a double
// fork leaves it to init (no zombie, nothing to wait for), and a pipe closed
// on exec tells the caller whether it really started.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

#include "core/posix_descriptor.h"
#include "platform/program_start.h"

extern char** environ;

namespace pelloquin {

namespace {

using posix::Descriptor;
using posix::LastError;
using posix::RetryOnInterrupt;

bool IsExecutableFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
         ::access(path.c_str(), X_OK) == 0;
}

std::vector<std::string> MergedEnvironment(
    const std::vector<std::pair<std::string, std::string>>& changes) {
  std::vector<std::string> merged;
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    const std::string_view text(*entry);
    const std::string_view name = text.substr(0, text.find('='));
    const bool replaced = std::any_of(changes.begin(), changes.end(),
                                      [&](const auto& change) { return change.first == name; });
    if (!replaced) merged.emplace_back(text);
  }
  for (const auto& [name, value] : changes) merged.push_back(name + "=" + value);
  return merged;
}

// A bare name is looked up on the PATH the new program will get, as a shell would.
std::optional<std::string> FindProgram(const std::string& program,
                                       const std::vector<std::string>& environment,
                                       std::error_code& error) {
  if (program.find('/') != std::string::npos) return program;
  std::string search = "/usr/local/bin:/usr/bin:/bin";
  for (const std::string& entry : environment) {
    if (entry.rfind("PATH=", 0) == 0) search = entry.substr(5);
  }
  error = std::make_error_code(std::errc::no_such_file_or_directory);
  std::size_t start = 0;
  while (start <= search.size()) {
    std::size_t end = search.find(':', start);
    if (end == std::string::npos) end = search.size();
    const std::string folder = end > start ? search.substr(start, end - start) : ".";
    const std::string candidate = folder + "/" + program;
    if (IsExecutableFile(candidate)) {
      error.clear();
      return candidate;
    }
    if (::access(candidate.c_str(), F_OK) == 0) {
      error = std::make_error_code(std::errc::permission_denied);
    }
    start = end + 1;
  }
  return std::nullopt;
}

std::vector<char*> PointersTo(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  pointers.reserve(texts.size() + 1);
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

// In a forked child only async-signal-safe calls are allowed: report and leave.
[[noreturn]] void ReportAndExit(int pipe_fd) {
  const int error = errno;
  [[maybe_unused]] const ssize_t written = ::write(pipe_fd, &error, sizeof error);
  ::_exit(127);
}

class PosixProgramStarter final : public ProgramStarter {
 public:
  std::error_code Start(const ProgramStart& start) override {
    std::vector<std::string> environment = MergedEnvironment(start.environment);
    std::error_code error;
    const auto program = FindProgram(start.program, environment, error);
    if (!program) return error;

    std::vector<std::string> arguments{start.program};
    arguments.insert(arguments.end(), start.arguments.begin(), start.arguments.end());
    std::vector<char*> argv = PointersTo(arguments);
    std::vector<char*> envp = PointersTo(environment);
    const char* folder = start.working_folder.empty() ? nullptr : start.working_folder.c_str();

    int fds[2];
    if (::pipe(fds) != 0) return LastError();
    Descriptor read_end(fds[0]);
    Descriptor write_end(fds[1]);
    ::fcntl(read_end.get(), F_SETFD, FD_CLOEXEC);
    ::fcntl(write_end.get(), F_SETFD, FD_CLOEXEC);

    const pid_t child = ::fork();
    if (child < 0) return LastError();
    // The child never returns from here, so its copies run no destructor.
    if (child == 0) {
      read_end.Close();
      ::setsid();
      const pid_t grandchild = ::fork();
      if (grandchild < 0) ReportAndExit(write_end.get());
      if (grandchild > 0) ::_exit(0);
      sigset_t none;
      ::sigemptyset(&none);
      ::sigprocmask(SIG_SETMASK, &none, nullptr);
      ::signal(SIGPIPE, SIG_DFL);
      ::signal(SIGCHLD, SIG_DFL);
      if (folder != nullptr && ::chdir(folder) != 0) ReportAndExit(write_end.get());
      ::execve(program->c_str(), argv.data(), envp.data());
      ReportAndExit(write_end.get());
    }

    write_end.Close();
    int child_error = 0;
    const ssize_t got =
        RetryOnInterrupt([&] { return ::read(read_end.get(), &child_error, sizeof child_error); });
    read_end.Close();
    int status = 0;
    RetryOnInterrupt([&] { return ::waitpid(child, &status, 0); });
    if (got == static_cast<ssize_t>(sizeof child_error)) {
      return posix::ErrorCode(child_error);
    }
    return {};
  }
};

}  // namespace

std::unique_ptr<ProgramStarter> MakeSystemProgramStarter() {
  return std::make_unique<PosixProgramStarter>();
}

}  // namespace pelloquin
