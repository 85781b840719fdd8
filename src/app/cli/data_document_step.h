// gvde-cli --json FILE and --csv DIR: the data document and the CSV tables, written as the run's
// last step, before "Done".
#pragma once

#include <string>

#include "app/cli/held_signals.h"
#include "site/extraction_run.h"
#include "site/host.h"
#include "site/run_config.h"

namespace gvde {

struct DataOutputs {
  std::string jsonFile;  // empty: no document; "-": standard output
  std::string csvDir;    // empty: no tables
  // Path prefixes of the run's inputs, for the document's "source".
  std::string gameDir;
  std::string configDir;
};

// Writes the outputs through ReplacingFiles, all of them renamed into place only when every
// one was written; a failure ends the run with "Cannot write <path>" and the reason (or "Cannot
// read <input>" when an input file cannot be read for its digest). The ending signals are held
// from the start of the step: one that waits when the files would be renamed leaves every
// earlier file as it was and stops the run, to end the program once they are let go; the
// caller lets them go after the run. `configuration`, `host` and `signals` must outlive the run.
FinishingStep DataOutputsStep(DataOutputs outputs, const Configuration& configuration, Host& host,
                              EndingSignals& signals);

}  // namespace gvde
