// gvde-cli --json FILE and --csv DIR: the data document and the CSV tables, written as the run's
// last step, before "Done".
#pragma once

#include <string>

#include "site/extraction_run.h"
#include "site/host.h"
#include "site/run_config.h"

namespace gvde {

struct DataOutputs {
  std::string jsonFile;  // empty: no document
  std::string csvDir;    // empty: no tables
  // Path prefixes of the run's inputs, for the document's "source".
  std::string gameDir;
  std::string configDir;
};

// Writes the outputs through temporary files that are renamed at the end, all of them only when
// every one was written; a failure ends the run with "Cannot write <path>" (or "Cannot read
// <input>" when an input file cannot be read for its digest). `configuration` and `host` must
// outlive the run.
FinishingStep DataOutputsStep(DataOutputs outputs, const Configuration& configuration, Host& host);

}  // namespace gvde
