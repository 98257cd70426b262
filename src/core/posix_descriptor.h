// A file descriptor closed with its owner, errno as an error code, and a call
// made again when a signal interrupted it; POSIX only.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace pelloquin::posix {

// An errno value as an error code.
inline std::error_code ErrorCode(int error) {
  return {error, std::system_category()};
}

inline std::error_code LastError() {
  return ErrorCode(errno);
}

// Runs `call` until it ends other than by failing with EINTR, and returns its
// result, as fmt's FMT_RETRY does.
template <typename Call>
auto RetryOnInterrupt(Call call) {
  decltype(call()) result;
  do {
    result = call();
  } while (result == -1 && errno == EINTR);
  return result;
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  Descriptor(Descriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  Descriptor& operator=(Descriptor&& other) noexcept {
    if (this != &other) {
      if (fd_ >= 0) ::close(fd_);
      fd_ = other.fd_;
      other.fd_ = -1;
    }
    return *this;
  }

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Closes now, so that the caller learns of a failed close.
  int Close() {
    int result = ::close(fd_);
    fd_ = -1;
    return result;
  }

 private:
  int fd_;
};

}  // namespace pelloquin::posix
