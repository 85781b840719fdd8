#include "archive/worker_program_path.h"

#include <unistd.h>

#include "archive/archive_worker.h"

namespace gvde {
namespace {

bool IsExecutable(const std::string& path) { return !path.empty() && access(path.c_str(), X_OK) == 0; }

// The worker program in the running program's folder; empty where the system cannot say
// which program is running.
std::string BesideThisProgram() {
#ifdef __linux__
  std::string path(4096, '\0');
  const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= path.size()) return {};
  path.resize(static_cast<std::size_t>(length));
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {};
  path.resize(slash + 1);
  return path + kArchiveWorkerProgram;
#else
  return {};
#endif
}

}  // namespace

std::string WorkerProgramPath() {
  const std::string beside = BesideThisProgram();
  if (IsExecutable(beside)) return beside;
#ifdef GVDE_ARCHIVE_WORKER_FALLBACK
  const std::string built = GVDE_ARCHIVE_WORKER_FALLBACK;
  if (IsExecutable(built)) return built;
#endif
  return {};
}

}  // namespace gvde
