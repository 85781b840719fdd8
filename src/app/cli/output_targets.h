// The files that --json FILE and --csv DIR name, checked before the run, so that a target that
// cannot or must not be written ends the program before anything is written: a missing
// folder, one without write permission, a folder where a file goes, one of the run's own
// inputs, a file inside the output folder.
#pragma once

#include <optional>
#include <string>

#include "app/cli/data_document_step.h"

namespace gvde {

struct TargetProblem {
  std::string message;  // "Cannot write <target>"
  std::string detail;   // the file or folder in the way and why
};

// The first problem with the targets of `outputs`; nullopt when every one can be written.
// `outputDir` is the run's output folder as the run uses it.
std::optional<TargetProblem> CheckOutputTargets(const DataOutputs& outputs, const std::string& outputDir);

}  // namespace gvde
