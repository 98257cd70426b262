// Hostile files and a child process with a deadline.
#include "support/hostile_files.h"

#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace pelloquin::testing {

namespace fs = std::filesystem;

namespace {

void MakeFifo(const fs::path& path) {
  fs::create_directories(path.parent_path());
  if (::mkfifo(path.c_str(), 0644) != 0) throw std::runtime_error("mkfifo " + path.string());
}

void MakeLinkToDevZero(const fs::path& path) {
  fs::create_directories(path.parent_path());
  fs::create_symlink("/dev/zero", path);
}

void MakeFolder(const fs::path& path) {
  fs::create_directories(path);
}

}  // namespace

const std::vector<HostileFile>& HostileFiles() {
  static const std::vector<HostileFile> files = {
      {"a FIFO", MakeFifo}, {"a link to /dev/zero", MakeLinkToDevZero}, {"a folder", MakeFolder}};
  return files;
}

std::optional<std::string> RunInChild(const std::function<std::string()>& work,
                                      std::chrono::seconds limit) {
  int ends[2];
  if (::pipe(ends) != 0) throw std::runtime_error("pipe");
  const pid_t child = ::fork();
  if (child < 0) throw std::runtime_error("fork");
  if (child == 0) {
    ::close(ends[0]);
    const std::string text = work();
    for (std::size_t done = 0; done < text.size();) {
      const ssize_t wrote = ::write(ends[1], text.data() + done, text.size() - done);
      if (wrote <= 0) ::_exit(2);
      done += static_cast<std::size_t>(wrote);
    }
    ::_exit(0);
  }
  ::close(ends[1]);
  std::string text;
  bool ended = false;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!ended) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd wait{ends[0], POLLIN, 0};
    if (::poll(&wait, 1, static_cast<int>(left.count())) < 0 && errno != EINTR) break;
    char buffer[4096];
    if (wait.revents == 0) continue;
    const ssize_t got = ::read(ends[0], buffer, sizeof buffer);
    if (got > 0) text.append(buffer, static_cast<std::size_t>(got));
    ended = got == 0;
  }
  ::close(ends[0]);
  if (!ended) ::kill(child, SIGKILL);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (!ended || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  return text;
}

}  // namespace pelloquin::testing
