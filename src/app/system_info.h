// Finding and starting the system's System Information program through the
// registry: the lookup of one registry value and the System Info command.
#pragma once

#include <string>
#include <string_view>

#include "core/prompt.h"
#include "platform/program_start.h"
#include "platform/registry.h"

namespace pelloquin {

inline constexpr std::string_view kSysInfoUnavailable =
    "System Information Is Unavailable At This Time";

// Reads the value `SubKeyRef` of the key `KeyName` below `KeyRoot` into
// `KeyVal`. Returns false, with `KeyVal` empty, when the key does not open
// or the value cannot be read (a value longer than 1024 bytes included).
// A REG_SZ value gives its text without a final NUL, a REG_DWORD its decimal
// number; any other type leaves `KeyVal` as it was and still returns true.
// Throws std::runtime_error when the value reports a size of 0 bytes.
bool GetKeyValue(RegistryApi& registry, RegRoot KeyRoot, std::string_view KeyName,
                 std::string_view SubKeyRef, std::string& KeyVal);

// Starts System Information from the path the registry gives, or shows the
// one failure message when any step fails. A null registry stands for a
// system without one.
void StartSysInfo(RegistryApi* registry, Prompt& prompt, ProgramStarter& starter);

}  // namespace pelloquin
