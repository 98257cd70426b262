// Child processes for the benchmark's steps, the system's cp, and facts about
// the machine the figures come from.
#include "step_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/statfs.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace pelloquin::bench {

namespace fs = std::filesystem;

namespace {

std::runtime_error SystemError(const std::string& what, int error) {
  return std::runtime_error(what + ": " + std::strerror(error));
}

std::vector<char*> ArgumentVector(std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (auto& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  return argv;
}

// True when the process exited with status 0.
bool WaitFor(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) throw SystemError("waitpid", errno);
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void RunTool(std::vector<std::string> arguments) {
  auto argv = ArgumentVector(arguments);
  pid_t pid = 0;
  if (int error = ::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ)) {
    throw SystemError(arguments.front(), error);
  }
  if (!WaitFor(pid)) throw std::runtime_error(arguments.front() + " failed");
}

}  // namespace

std::string FormatStepLine(const StepResult& result) {
  std::ostringstream line;
  line.precision(9);
  line << "step " << result.seconds << ' ' << result.bytes << ' ' << result.files << ' '
       << result.failures << ' ' << result.peak_kib << ' ' << result.header_reads << ' '
       << result.header_bytes << ' ' << result.header_seconds << ' ' << result.removal_seconds;
  return line.str();
}

bool ParseStepLine(const std::string& line, StepResult& result) {
  std::istringstream in(line);
  std::string word;
  return static_cast<bool>(in >> word >> result.seconds >> result.bytes >> result.files >>
                           result.failures >> result.peak_kib >> result.header_reads >>
                           result.header_bytes >> result.header_seconds >>
                           result.removal_seconds) &&
         word == "step";
}

StepResult RunStepProcess(const std::vector<std::string>& arguments) {
  std::vector<std::string> command{fs::read_symlink("/proc/self/exe").string()};
  command.insert(command.end(), arguments.begin(), arguments.end());
  auto argv = ArgumentVector(command);

  std::array<int, 2> pipe_ends{};
  if (::pipe2(pipe_ends.data(), O_CLOEXEC) != 0) throw SystemError("pipe", errno);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], STDOUT_FILENO);
  pid_t pid = 0;
  int error = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipe_ends[1]);
  if (error != 0) {
    ::close(pipe_ends[0]);
    throw SystemError(command.front(), error);
  }
  std::string output;
  std::array<char, 4096> chunk{};
  while (true) {
    ssize_t got = ::read(pipe_ends[0], chunk.data(), chunk.size());
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    output.append(chunk.data(), static_cast<std::size_t>(got));
  }
  ::close(pipe_ends[0]);
  bool succeeded = WaitFor(pid);

  StepResult result;
  if (!succeeded || !ParseStepLine(output, result)) {
    throw std::runtime_error("the step process failed: " + command.back() + "\n" + output);
  }
  return result;
}

// Not getrusage: its maximum carries over the parent's memory, which a
// spawned child shares until it runs the program.
std::uint64_t PeakResidentKib() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.starts_with("VmHWM:")) return std::stoull(line.substr(6));
  }
  throw std::runtime_error("no VmHWM in /proc/self/status");
}

double TimeSystemCopy(const std::vector<fs::path>& files, const fs::path& target_folder) {
  std::vector<std::string> copy{"cp", "--"};
  std::vector<std::string> flush{"sync", "--"};
  for (const auto& file : files) {
    copy.push_back(file.string());
    flush.push_back((target_folder / file.filename()).string());
  }
  copy.push_back(target_folder.string() + "/");
  auto start = std::chrono::steady_clock::now();
  RunTool(std::move(copy));
  RunTool(std::move(flush));
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void FlushFileSystem(const fs::path& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) throw SystemError(path.string(), errno);
  int result = ::syncfs(fd);
  int error = errno;
  ::close(fd);
  if (result != 0) throw SystemError("syncfs " + path.string(), error);
}

std::string FileSystemName(const fs::path& path) {
  struct statfs info {};
  if (::statfs(path.c_str(), &info) != 0) return "unknown";
  switch (static_cast<unsigned long>(info.f_type)) {
    case 0xEF53:
      return "ext4";
    case 0x58465342:
      return "xfs";
    case 0x9123683E:
      return "btrfs";
    case 0x01021994:
      return "tmpfs";
    case 0x794C7630:
      return "overlayfs";
    case 0x2FC12FC1:
      return "zfs";
    case 0xF2F52010:
      return "f2fs";
    default: {
      std::ostringstream hex;
      hex << "type 0x" << std::hex << static_cast<unsigned long>(info.f_type);
      return hex.str();
    }
  }
}

std::uint64_t FreeBytes(const fs::path& path) {
  struct statfs info {};
  if (::statfs(path.c_str(), &info) != 0) throw SystemError("statfs " + path.string(), errno);
  return static_cast<std::uint64_t>(info.f_bfree) * static_cast<std::uint64_t>(info.f_bsize);
}

std::string CpuModel() {
  std::ifstream cpuinfo("/proc/cpuinfo");
  std::string line;
  while (std::getline(cpuinfo, line)) {
    if (line.starts_with("model name")) {
      auto colon = line.find(':');
      if (colon != std::string::npos) return line.substr(line.find_first_not_of(' ', colon + 1));
    }
  }
  return "unknown";
}

std::string KernelRelease() {
  utsname name{};
  if (::uname(&name) != 0) return "unknown";
  return std::string(name.sysname) + " " + name.release;
}

}  // namespace pelloquin::bench
