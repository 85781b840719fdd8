// The parent's side of the worker process that runs the archive library: POSIX forks it,
// Windows starts this program again with kArchiveWorkerFlag (see archive_worker.h). Every wait
// for the worker is limited, and a worker that is ended is always reaped.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "archive/worker_channel.h"

namespace gvde {

// How long one wait for the worker may last before it counts as hung. Generous: the worker
// answers within milliseconds unless the library is stuck.
constexpr std::chrono::milliseconds kWorkerWaitLimit{60000};

// The limit in force; tests shorten it to see a silent worker fail quickly.
std::chrono::milliseconds WorkerWaitLimit();
void SetWorkerWaitLimit(std::chrono::milliseconds limit);

// True where a worker process can be started: always on POSIX; on Windows only in a program
// whose entry point answers kArchiveWorkerFlag (it called IsArchiveWorkerInvocation).
bool WorkerProcessesAvailable();

class WorkerProcess final : public ByteLink {
 public:
  WorkerProcess();
  WorkerProcess(const WorkerProcess&) = delete;
  WorkerProcess& operator=(const WorkerProcess&) = delete;
  ~WorkerProcess() override;  // kills a worker that is still there

  // Starts the worker, which then waits for requests. False when it cannot be started.
  bool Start();
  // Each fails when the worker has ended or stays silent longer than WorkerWaitLimit().
  bool Write(const std::uint8_t* data, std::size_t size) override;
  bool Read(std::uint8_t* data, std::size_t size) override;
  // After the worker was asked to exit: waits (within the limit) until it has, then reaps it.
  void Finish();
  // Kills the worker at once and reaps it; harmless when there is none.
  void Kill();

 private:
  struct Handles;
  std::unique_ptr<Handles> handles_;
};

}  // namespace gvde
