// Where the archive worker program is: beside the running program (a build tree's gvde-cli, an
// installed one), else at the path the build wrote into the library (tests, fuzz targets and
// tools of the same build tree).
#pragma once

#include <string>

namespace gvde {

// An executable worker program's path; empty when there is none.
std::string WorkerProgramPath();

}  // namespace gvde
