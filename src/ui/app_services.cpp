// AppServices' destructor, which needs the About dialog's full type.
#include "app_services.h"

#include "frm_about.h"

namespace pelloquin {

AppServices::~AppServices() = default;

}  // namespace pelloquin
