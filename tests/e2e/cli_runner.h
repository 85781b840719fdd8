// Runs gvde-cli and gvde-demogen as a user would, capturing output and exit status.
#pragma once

#include <string>
#include <vector>

namespace gvde::testkit {

struct CommandResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs `program` with `args` in directory `cwd`, stdin from /dev/null.
CommandResult RunProgram(const std::string& cwd, const std::string& program, const std::vector<std::string>& args);

// `err` without its last line when that is the summary after "Done" ("Wrote 1513 files ..."),
// which holds the run's time.
std::string WithoutSummary(const std::string& err);

// All regular files below `dir`, as paths relative to it, sorted.
std::vector<std::string> ListFiles(const std::string& dir);

}  // namespace gvde::testkit
