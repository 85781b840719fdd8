// The archive library calls handed to a worker process (see docs/archive-worker.md): the one
// client of the worker on every platform, with the protocol, the wait limit, the checks of every
// reply and the restarts. A worker that crashes, hangs or answers out of turn is killed and
// reaped, and that call fails as a failed read would. The next call starts a new worker with
// both archives open again, at most kWorkerRestarts times; after that every call fails until the
// archives are opened again.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "archive/archive_calls.h"

namespace gvde {

// How long one wait for the worker may last before it counts as hung. Generous: the worker
// answers within milliseconds unless the library is stuck. The limit is per wait, not per
// call: a large file that keeps arriving is never cut off.
constexpr std::chrono::milliseconds kWorkerWaitLimit{60000};

// The limit in force; tests shorten it to see a silent worker fail quickly.
std::chrono::milliseconds WorkerWaitLimit();
void SetWorkerWaitLimit(std::chrono::milliseconds limit);

// How often a worker that died is started again for the same pair of archives.
constexpr int kWorkerRestarts = 3;

class WorkerProcess;

class WorkerArchives final : public ArchiveCalls {
 public:
  WorkerArchives();  // starts the worker
  WorkerArchives(const WorkerArchives&) = delete;
  WorkerArchives& operator=(const WorkerArchives&) = delete;
  ~WorkerArchives() override;  // asks the worker to close its archives and end, and reaps it

  bool Started() const { return process_ != nullptr; }

  bool OpenArchive(ArchiveSlot slot, const std::string& nativePath) override;
  ExtractOutcome ReadWholeFile(const std::string& name, std::vector<std::uint8_t>& buffer) override;
  bool ReadExactFile(const std::string& name, std::uint32_t size, std::uint8_t* destination) override;

 private:
  // The worker for a read: the one there is, or a new one with both archives open again; null
  // when there is none.
  WorkerProcess* ReadyWorker();
  // True when the worker opened the archive; a worker that does not answer is abandoned.
  bool AskToOpen(ArchiveSlot slot, const std::string& nativePath);
  void Abandon();

  std::unique_ptr<WorkerProcess> process_;  // null once the worker is gone
  std::string openedPaths_[2];              // by ArchiveSlot, for a new worker
  int restarts_ = 0;
};

// The calls for a new pair of archives: a worker process where this program can start one,
// else calls in this process. Null when a worker should exist but cannot be started.
std::unique_ptr<ArchiveCalls> StartArchiveCalls();

}  // namespace gvde
