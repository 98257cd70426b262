// Telling the user, in one message box, what a command could not do.
#include "app/failure_report.h"

namespace pelloquin {

std::string FailureReport(std::string_view heading, const Failures& failures) {
  Failures shown = UniqueFailures(failures);
  const std::size_t left_out =
      shown.size() > kReportedFailures ? shown.size() - kReportedFailures : 0;
  shown.resize(shown.size() - left_out);
  std::string report(heading);
  report += "\n\n";
  report += FormatFailures(shown);
  if (left_out > 0) report += "\nand " + std::to_string(left_out) + " more";
  return report;
}

void ShowFailures(Prompt& prompt, std::string_view heading, const Failures& failures) {
  if (failures.empty()) return;
  const Failures unique = UniqueFailures(failures);
  const std::string details = unique.size() > kReportedFailures ? FormatFailures(unique) : "";
  prompt.ShowMessage(FailureReport(heading, unique), MessageIcon::Critical, kDefaultMessageTitle,
                     details);
}

}  // namespace pelloquin
