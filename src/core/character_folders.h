// Characters known only by their folders: found again from the saves there.
#pragma once

#include "core/failure.h"
#include "core/shared_state.h"

namespace pelloquin {

// Characters whose saves are all in their folders (a run whose settings were
// never written) come back from those folders: every sub-folder holding a
// save of the character it is named after, by the save's name or by its
// header as the sorting reads it, is registered, in folder order. A header is
// read only where it could give the folder's name, not yet registered.
Failures RegisterCharacterFolders(SharedState& state);

}  // namespace pelloquin
