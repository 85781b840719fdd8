// The extraction run: loads GV.exe, prepares the tables, writes the whole site.
#pragma once

#include "site/host.h"
#include "site/run_config.h"

namespace gvde {

// Ends with host.ShowDone() or with exactly one error (or a Yes to an "... Exit?" question).
// Returns true when the run reached "Done".
bool StartExtraction(const RunInputs& inputs, const Configuration& configuration, Host& host);

}  // namespace gvde
