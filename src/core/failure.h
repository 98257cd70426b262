// A failed file operation, as the user is to be told of it.
#pragma once

#include <string>
#include <system_error>
#include <vector>

namespace pelloquin {

struct Failure {
  std::string path;    // UTF-8, the file or folder concerned
  std::string reason;  // the operating system's words, or ours when it has none

  bool operator==(const Failure&) const = default;
};

using Failures = std::vector<Failure>;

// The system's message for an error code, in UTF-8.
std::string DescribeError(std::error_code error);

// Adds `more` after the failures there are.
void Append(Failures& failures, Failures more);

// The failures in their first order, each one once: one cause that fails
// several steps is told once.
Failures UniqueFailures(const Failures& failures);

// "path: reason" (the reason alone when there is no path), one failure per line.
std::string FormatFailures(const Failures& failures);

}  // namespace pelloquin
