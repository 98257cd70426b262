// Opening a file for reading on POSIX systems: non-blocking, then fstat on the
// descriptor itself, so that no FIFO is waited for and nothing that replaced
// the file after a look at its path is read.
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "core/bounded_read.h"

namespace pelloquin::files {

std::error_code InputFile::Open(const std::filesystem::path& path) {
  // O_NOCTTY: a terminal under the file's name never becomes the program's.
  file_ = posix::Descriptor(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (!file_.valid()) {
    if (errno == ENOENT) return std::make_error_code(std::errc::no_such_file_or_directory);
    return posix::LastError();
  }
  struct stat status {};
  std::error_code error;
  if (::fstat(file_.get(), &status) != 0) {
    error = posix::LastError();
  } else if (S_ISDIR(status.st_mode)) {
    error = std::make_error_code(std::errc::is_a_directory);
  } else if (!S_ISREG(status.st_mode)) {
    error = std::make_error_code(std::errc::not_supported);
  }
  if (error) {
    file_ = posix::Descriptor(-1);
    return error;
  }
  size_ = static_cast<std::uint64_t>(status.st_size);
  return {};
}

std::error_code InputFile::Read(std::span<char> buffer, std::size_t& got) {
  got = 0;
  while (got < buffer.size()) {
    const ssize_t read = posix::RetryOnInterrupt(
        [&] { return ::read(file_.get(), buffer.data() + got, buffer.size() - got); });
    if (read < 0) return posix::LastError();
    if (read == 0) break;
    got += static_cast<std::size_t>(read);
  }
  return {};
}

}  // namespace pelloquin::files
