// The archive library calls handed to a worker process (see docs/archive-worker.md): the one
// client of the worker on every platform, with the protocol, the wait limit and the checks of
// every reply. A worker that crashes, hangs or answers out of turn is killed and reaped; that
// call and every later one fail as a failed read would, until the archives are opened again.
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
  void Abandon();

  std::unique_ptr<WorkerProcess> process_;  // null once the worker is gone
};

// The calls for a new pair of archives: a worker process where this program can start one,
// else calls in this process. Null when a worker should exist but cannot be started.
std::unique_ptr<ArchiveCalls> StartArchiveCalls();

}  // namespace gvde
