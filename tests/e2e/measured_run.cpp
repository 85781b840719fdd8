#include "measured_run.h"

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fcntl.h>

#include "testkit/temp_dir.h"

extern char** environ;

namespace gvde::testkit {

MeasuredRun RunMeasured(const std::string& cwd, const std::string& program, const std::vector<std::string>& args,
                        std::uint64_t addressLimitKiB) {
  const TempDir scratch;
  const std::string errPath = scratch.File("err");
  // The shell sets the limit on itself and then becomes the program, so that what is measured
  // is the program; no code of this (threaded) process runs between fork and exec.
  std::vector<std::string> words = {"/bin/sh", "-c",
                                    "cd \"$1\" || exit 126; shift; "
                                    "[ \"$1\" = 0 ] || ulimit -v \"$1\" || exit 126; shift; exec \"$@\"",
                                    "sh", cwd, std::to_string(addressLimitKiB), program};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  MeasuredRun result;
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, "/bin/sh", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return result;
  int status = 0;
  rusage usage{};
  while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  result.peakKiB = static_cast<std::uint64_t>(usage.ru_maxrss);
  result.err = ReadFileText(errPath);
  return result;
}

}  // namespace gvde::testkit
