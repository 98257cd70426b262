// Telling the user, in one message box, what a command could not do.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/failure.h"
#include "core/prompt.h"

namespace pelloquin {

// A box taller than this many failures would push its OK button off the screen.
inline constexpr std::size_t kReportedFailures = 20;

// The heading, a blank line, then "path: reason" (or the reason alone when
// there is no path) for each distinct failure, at most kReportedFailures of
// them, then "and N more" for the rest.
std::string FailureReport(std::string_view heading, const Failures& failures);

// One critical message box holding the report, with every failure in its
// details when the report had to leave some out; nothing when there is none.
void ShowFailures(Prompt& prompt, std::string_view heading, const Failures& failures);

}  // namespace pelloquin
