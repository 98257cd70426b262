// One running copy per settings file.
#include "app/one_copy.h"

namespace pelloquin {

bool MayRun(InstanceLock::State lock, Prompt& prompt) {
  if (lock != InstanceLock::State::HeldElsewhere) return true;
  prompt.ShowMessage(kAlreadyRunningMessage, MessageIcon::None);
  return false;
}

}  // namespace pelloquin
