// What the swap benchmark prints: the table of scenarios, the headers read,
// the targets met or missed, the counts checked, and all of it again as one
// line of JSON.
#pragma once

#include <filesystem>
#include <vector>

#include "save_tree.h"
#include "step_process.h"
#include "swap_options.h"
#include "swap_runner.h"

namespace pelloquin::bench {

// Returns the exit status: 0 when every count and folder was as expected.
// `idle` is a step process that did nothing.
int Report(const Options& options, const SaveTree& tree, const std::vector<Scenario>& scenarios,
           const Outcome& outcome, const StepResult& idle, const std::filesystem::path& root);

// On a file system that shares blocks between a file and its copy (XFS or
// btrfs with reflinks), Load Save of another character should take no data
// blocks at all: its copies are clones and its removals free only names.
// Returns 0 when it took none and the counts were as expected.
int ReportBlocks(const SaveTree& tree, const BlocksOutcome& blocks,
                 const std::filesystem::path& root);

}  // namespace pelloquin::bench
