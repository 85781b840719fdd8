// Timed runs of gvde-cli as child processes, started from a small launcher process of their
// own so that the child's peak memory is its own.
#pragma once

#include <sys/types.h>

#include <string>

namespace bench {

// One timed child run of gvde-cli.
struct RunSample {
  double wall = 0;    // seconds
  double user = 0;    // seconds of CPU in user mode
  double system = 0;  // seconds of CPU in the kernel
  long maxRssKiB = 0;
  bool done = false;  // exit status 0 and "Done" on standard output
};

// CLOCK_MONOTONIC in seconds.
double Now();
std::string ReadText(const std::string& path);

// The runs are started from a small process of their own, this program started again with
// kServeRuns: Linux counts the memory of the process a child is started from, up to its exec, in
// the child's peak, and this program later holds whole demo games and sites in memory.
inline constexpr const char* kServeRuns = "--serve-runs";

class Launcher {
 public:
  Launcher() = default;
  Launcher(const Launcher&) = delete;
  Launcher& operator=(const Launcher&) = delete;
  ~Launcher();

  bool Start();
  // The loop of the launcher process: runs what the requests ask until they end.
  static int Serve();
  // Runs `cli [option] --keep-going game/ site/` with `dir` as working directory; standard
  // output and error go to dir/run.out and dir/run.err.
  RunSample Run(const std::string& cli, const std::string& option, const std::string& dir);

 private:
  pid_t pid_ = -1;
  int request_ = -1;
  int reply_ = -1;
};

}  // namespace bench
