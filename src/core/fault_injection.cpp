// The process's one fault injector.
#include "core/fault_injection.h"

namespace pelloquin::fault {

Injector& GetInjector() {
  static Injector injector;
  return injector;
}

}  // namespace pelloquin::fault
