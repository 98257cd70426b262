// Telling the user, in one message box, what a command could not do.
#pragma once

#include <string>
#include <string_view>

#include "failure.h"
#include "prompt.h"

namespace pelloquin {

// The failures in their first order, each one once.
Failures UniqueFailures(const Failures& failures);

// The heading, a blank line, then "path: reason" (or the reason alone when
// there is no path) for each distinct failure.
std::string FailureReport(std::string_view heading, const Failures& failures);

// One critical message box holding the report; nothing when there is no failure.
void ShowFailures(Prompt& prompt, std::string_view heading, const Failures& failures);

}  // namespace pelloquin
