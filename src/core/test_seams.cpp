// The process's one fault injector and its counts, in the test build of the
// file layer alone.
#include "core/test_seams.h"

namespace pelloquin {

fault::Injector& fault::GetInjector() {
  static Injector injector;
  return injector;
}

files::CopyStatistics& files::Statistics() {
  static CopyStatistics statistics;
  return statistics;
}

HeaderStatistics& HeaderReadStatistics() {
  static HeaderStatistics statistics;
  return statistics;
}

}  // namespace pelloquin
