// A file taken out of the save folder into its character's folder: moved,
// copied, or held for removal, and never lost on the way.
#pragma once

#include <string>

#include "core/action_listings.h"
#include "core/failure.h"
#include "core/holding_folder.h"

namespace pelloquin {

// Takes a file out of the save folder into the character's folder. One whose
// copy there matches already (or is the same file under another name) goes
// into the holding folder, to be removed once the window is usable again;
// otherwise it is renamed there, else copied and then removed. Never taken out
// before a matching copy exists, nor when it is no longer the file listed: one
// True once the file is out of `from`; false, with the failure added, when it stays.
bool MoveInto(Folder& from, Folder& to, Holding& holding, const std::string& character,
              const std::string& name, Failures& failures);

}  // namespace pelloquin
