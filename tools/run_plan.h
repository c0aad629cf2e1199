// Carries out a plan (tree_plan.h) so that a failure or a cancel never
// costs the user a file: every output is written beside its place under a
// temporary name and renamed into place only when it is whole and checked,
// over an existing file only with --force.
#pragma once

#include "run_report.h"
#include "tree_plan.h"

namespace cli {

struct RunSettings {
    bool encrypting = true;
    bool force = false, stop_on_error = false, log = false;
    long key_time = 0;
    std::u16string password;
};

// False once the user has cancelled (the partial output is removed) or,
// with stop_on_error, at the first failure.
bool run_plan(const Plan &plan, const RunSettings &settings, RunReport &report);

}  // namespace cli
