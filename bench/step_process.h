// Measuring one swap step in a fresh process of its own, so that its peak
// memory is its own, and timing the system's cp as the disk's own speed.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace pelloquin::bench {

struct StepResult {
  double seconds = 0;
  std::uint64_t bytes = 0;
  std::uint64_t files = 0;
  std::uint64_t failures = 0;
  std::uint64_t peak_kib = 0;  // the step process's largest resident set
  std::uint64_t header_reads = 0;
  std::uint64_t header_bytes = 0;
  double header_seconds = 0;  // part of `seconds`
  // The removal from the holding folder that follows, as the program runs it
  // in the background once its window is usable again; not part of `seconds`.
  double removal_seconds = 0;
};

// The largest resident set of this process so far, in KiB ("VmHWM").
std::uint64_t PeakResidentKib();

// The line a step process prints on its standard output, and reading it back.
std::string FormatStepLine(const StepResult& result);
bool ParseStepLine(const std::string& line, StepResult& result);

// Runs this program again with `arguments`, waits for it and returns what it reported.
StepResult RunStepProcess(const std::vector<std::string>& arguments);

// Seconds from starting `cp` of `files` into `target_folder` until `sync` of
// the copies (an fsync of each) has returned.
double TimeSystemCopy(const std::vector<std::filesystem::path>& files,
                      const std::filesystem::path& target_folder);

// Writes back everything pending on the file system holding `path`, so that
// one step does not pay for the writes of the one before.
void FlushFileSystem(const std::filesystem::path& path);

std::string FileSystemName(const std::filesystem::path& path);
// The bytes free on the file system holding `path`, by its count of free blocks.
std::uint64_t FreeBytes(const std::filesystem::path& path);
std::string CpuModel();
std::string KernelRelease();

}  // namespace pelloquin::bench
