// What one of gvde-cli's commands other than a run prints and how it ends. The commands make
// it without printing, so that the front end only writes it out and tests can read it.
#pragma once

#include <string>

namespace gvde {

struct CommandOutput {
  std::string out;  // for stdout
  std::string err;  // for stderr: "Error: ..." and "Warning: ..." lines, file notes
  int exitCode = 0;
};

// "Error: <message>", and the indented detail line when there is one.
inline std::string ErrorLines(const std::string& message, const std::string& detail) {
  return "Error: " + message + "\n" + (detail.empty() ? std::string() : "  " + detail + "\n");
}

}  // namespace gvde
