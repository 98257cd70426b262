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
  report += "\n\n";
  report += FormatFailures(UniqueFailures(failures));
  return report;
}

void ShowFailures(Prompt& prompt, std::string_view heading, const Failures& failures) {
  if (failures.empty()) return;
  prompt.ShowMessage(FailureReport(heading, failures), MessageIcon::Critical);
}

}  // namespace pelloquin
