// Where the archive worker program is, found from the running program's own folder: beside it
// (a build tree), or in the folder an installation puts it in relative to the program's folder
// (bin/ -> libexec/gvde/). No path of the build is compiled in.
#pragma once

#include <string>

namespace gvde {

struct WorkerProgram {
  std::string path;     // empty when there is none
  std::string problem;  // then why: "gvde-archive-worker not found in /usr/libexec/gvde"
};

WorkerProgram FindWorkerProgram();

}  // namespace gvde
