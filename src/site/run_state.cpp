#include "site/run_state.h"

#include "platform/file_system.h"
#include "site/page_file.h"

namespace gvde {

std::string DataPath(const std::string& outputDir, std::string_view fileName) {
  std::string path = outputDir;
  path += "data";
  path += PathSeparator();
  path += fileName;
  return path;
}

std::string RunState::DataFile(const std::string& fileName) const { return DataPath(OutputDir, fileName); }

bool RunError(RunState& run, const std::string& message) {
  run.AnimationGroups.clear();
  run.AnimationGroups.shrink_to_fit();
  run.image.reset();
  run.archives.CloseArchives();
  run.host.ShowError(message);
  return false;
}

void ReleaseAfterExit(RunState& run) {
  run.image.reset();
  run.archives.CloseArchives();
}

}  // namespace gvde
