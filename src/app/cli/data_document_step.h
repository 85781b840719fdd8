// gvde-cli --json FILE: the data document written as the run's last step, before "Done".
#pragma once

#include <string>

#include "site/extraction_run.h"
#include "site/host.h"
#include "site/run_config.h"

namespace gvde {

// Writes the document to `path` (through "<path>.tmp", renamed at the end); a failure ends the
// run with "Cannot write <path>". `configuration` and `host` must outlive the run.
FinishingStep DataDocumentStep(std::string path, const Configuration& configuration, Host& host);

}  // namespace gvde
