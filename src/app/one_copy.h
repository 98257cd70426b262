// One running copy per settings file: what a second copy says before it ends.
#pragma once

#include <string_view>

#include "core/prompt.h"
#include "platform/instance_lock.h"

namespace pelloquin {

inline constexpr std::string_view kAlreadyRunningMessage = "Pelloquin is already running.";

// True when this copy may go on: it holds the lock, or the system could not
// take one. When another copy holds it, the user is told, and this copy is to
// end without touching any file.
bool MayRun(InstanceLock::State lock, Prompt& prompt);

}  // namespace pelloquin
