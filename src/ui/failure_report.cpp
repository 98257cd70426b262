// Telling the user, in one message box, what a command could not do.
#include "failure_report.h"

#include <algorithm>

namespace pelloquin {

Failures UniqueFailures(const Failures& failures) {
  Failures unique;
  for (const Failure& failure : failures) {
    if (std::find(unique.begin(), unique.end(), failure) == unique.end()) {
      unique.push_back(failure);
    }
  }
  return unique;
}

std::string FailureReport(std::string_view heading, const Failures& failures) {
  std::string report(heading);
  report += '\n';
  for (const Failure& failure : UniqueFailures(failures)) {
    report += '\n';
    // A failure about no particular file (no save folder chosen) has no path to show.
    if (!failure.path.empty()) report += failure.path + ": ";
    report += failure.reason;
  }
  return report;
}

void ShowFailures(Prompt& prompt, std::string_view heading, const Failures& failures) {
  if (failures.empty()) return;
  prompt.ShowMessage(FailureReport(heading, failures), MessageIcon::Critical);
}

}  // namespace pelloquin
