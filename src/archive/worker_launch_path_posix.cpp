#include "archive/worker_launch_path.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "archive/worker_server.h"

// The installed worker's folder relative to the installed program's, from the install layout
// CMake was configured with.
#ifndef GVDE_WORKER_DIR_FROM_BINDIR
#define GVDE_WORKER_DIR_FROM_BINDIR "../libexec/gvde"
#endif

namespace gvde {
namespace {

bool IsPlainFile(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// The running program's folder, without a trailing slash; empty where the system cannot say
// which program is running.
std::string RunningProgramFolder() {
#ifdef __linux__
  std::string path(4096, '\0');
  const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= path.size()) return {};
  path.resize(static_cast<std::size_t>(length));
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {};
  path.resize(slash);
  return path.empty() ? "/" : path;
#else
  return {};
#endif
}

}  // namespace

WorkerProgram FindWorkerProgram() {
  const std::string folder = RunningProgramFolder();
  if (folder.empty()) {
    return {{}, std::string(kArchiveWorkerProgram) + " not found: the running program's folder is unknown"};
  }
  const std::string beside = folder + "/" + kArchiveWorkerProgram;
  if (IsPlainFile(beside)) return {beside, {}};
  std::string installed =
      std::filesystem::path(folder + "/" + GVDE_WORKER_DIR_FROM_BINDIR).lexically_normal();
  if (installed.size() > 1 && installed.back() == '/') installed.pop_back();
  const std::string path = installed + "/" + kArchiveWorkerProgram;
  if (IsPlainFile(path)) return {path, {}};
  return {{}, std::string(kArchiveWorkerProgram) + " not found in " + installed};
}

}  // namespace gvde
