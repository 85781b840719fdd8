// The archive library calls handed to a worker process (see docs/archive-worker.md): the one
// client of the worker on every platform, with the protocol, the wait limit, the checks of every
// reply and the restarts. A worker that crashes, hangs or answers out of turn is killed and
// reaped, and that call fails as a failed read would; the file it was reading is remembered and
// fails at once when it is asked for again, and the next call starts a new worker with both
// archives open again. When a new worker cannot open them, every call fails until the archives
// are opened again.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "archive/archive_calls.h"

namespace gvde {

class WorkerProcess;

class WorkerArchives final : public ArchiveCalls {
 public:
  // `waitLimit`: how long one wait for the worker may last before it counts as hung.
  explicit WorkerArchives(std::chrono::milliseconds waitLimit);
  WorkerArchives(const WorkerArchives&) = delete;
  WorkerArchives& operator=(const WorkerArchives&) = delete;
  ~WorkerArchives() override;  // asks the worker to close its archives and end, and reaps it

  // Starts the worker, confines it to the two archives and has it open them.
  OpenOutcome OpenArchives(const ArchivePath& game, const ArchivePath& base) override;
  ExtractOutcome ReadWholeFile(const std::string& name, std::vector<std::uint8_t>& buffer) override;
  bool ReadExactFile(const std::string& name, std::uint32_t size, std::uint8_t* destination) override;
  std::string TakeReaderFailure() override;

 private:
  // A new worker with both archives open; the outcome names what failed.
  OpenOutcome StartWithArchives();
  // The worker for a read: the one there is, or a new one with both archives open again; null
  // when there is none.
  WorkerProcess* ReadyWorker();
  // Ends the worker after it failed while `activity` ("reading X"); `badAnswer` when what it
  // sent made no sense. What happened, for a detail line.
  std::string Abandon(const std::string& activity, bool badAnswer = false);
  // A read of `name` that lost the worker: the file is not asked for again.
  void LoseReading(const std::string& name, bool badAnswer = false);
  // Keeps `failure` for TakeReaderFailure unless an earlier one is still untaken.
  void Note(std::string failure);

  std::chrono::milliseconds waitLimit_;
  std::unique_ptr<WorkerProcess> process_;  // null while there is no worker
  ArchivePath paths_[2];                    // by ArchiveSlot, for a new worker
  bool opened_ = false;                     // both archives open: a lost worker is replaced
  std::set<std::string> failedFiles_;       // reads that crashed, hung or were refused
  std::string failure_;                     // what went wrong with the reader, not yet taken
};

// The calls for a new pair of archives: a worker process where this program can start one,
// else calls in this process.
std::unique_ptr<ArchiveCalls> StartArchiveCalls(std::chrono::milliseconds workerWaitLimit);

}  // namespace gvde
