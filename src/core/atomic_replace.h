// The steps of replacing a file whole: its new content written to a temporary
// file beside it, flushed to disk, then renamed over it, so that a power cut
// leaves the old file or the new one and never a part. The settings file and
// the copies of saves are both written this way.
#pragma once

#include <filesystem>
#include <string_view>
#include <system_error>

#ifdef _WIN32
#include "core/win_handle.h"
#else
#include "core/posix_descriptor.h"
#endif

namespace pelloquin::files {

#ifdef _WIN32
using TemporaryFile = win::Handle;
using NativeFile = HANDLE;
#else
using TemporaryFile = posix::Descriptor;
using NativeFile = int;
#endif

// Writes every byte, however many calls it takes.
std::error_code WriteAll(NativeFile file, std::string_view bytes);

// Flushes the written temporary file to disk, closes it and renames it over
// `target`. On failure the caller removes the temporary file.
std::error_code FlushAndRename(TemporaryFile& file, const std::filesystem::path& temporary,
                               const std::filesystem::path& target);

// The same for a temporary file its caller has flushed already (copies of
// saves flush many at once).
std::error_code CloseAndRename(TemporaryFile& file, const std::filesystem::path& temporary,
                               const std::filesystem::path& target);

// Makes a rename into the folder survive a power cut (a no-op on Windows,
// whose renames are written through).
void SyncFolder(const std::filesystem::path& folder);

}  // namespace pelloquin::files
