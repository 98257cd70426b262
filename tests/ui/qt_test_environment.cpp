// The window tests need no display and must not pop windows up on one.
#include "qt_environment.h"

namespace {

const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new pelloquin::testing::QtEnvironment("offscreen"));

}  // namespace
