#include "archive/worker_client.h"

#include <new>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <utility>

#include "archive/archive_header_check.h"
#include "archive/storm_archives.h"
#include "archive/worker_launch.h"
#include "archive/worker_protocol.h"

namespace gvde {
namespace {

constexpr std::uint8_t kDone = 1;

// The worker's stream, each wait on it bounded by the limit.
class WorkerLink final : public ByteLink {
 public:
  WorkerLink(WorkerProcess& process, std::chrono::milliseconds waitLimit)
      : process_(process), waitLimit_(waitLimit) {}

 private:
  std::size_t WriteSome(const std::uint8_t* data, std::size_t size) override {
    return process_.Send(data, size, waitLimit_);
  }
  std::size_t ReadSome(std::uint8_t* data, std::size_t size) override {
    return process_.Receive(data, size, waitLimit_);
  }

  WorkerProcess& process_;
  std::chrono::milliseconds waitLimit_;
};

// What became of a worker that was given up, for a detail line.
std::string WhatHappened(WorkerEnd end, bool badAnswer, std::chrono::milliseconds waitLimit) {
  if (badAnswer) return "gave an answer that makes no sense";
  switch (end) {
    case WorkerEnd::Hung: {
      const auto seconds = std::chrono::duration<double>(waitLimit).count();
      std::ostringstream text;
      text << "did not answer within " << seconds << " s";
      return text.str();
    }
    case WorkerEnd::Refused:
      return "was stopped by its system call filter";
    case WorkerEnd::Ended:
      return "crashed";
    case WorkerEnd::Killed:
      break;
  }
  return "stopped answering";
}

}  // namespace

WorkerArchives::WorkerArchives(std::chrono::milliseconds waitLimit) : waitLimit_(waitLimit) {}

WorkerArchives::~WorkerArchives() {
  if (process_ == nullptr) return;
  // The worker closes its archives on the way out and then ends its stream; a worker that
  // cannot be told, or sends anything more, is killed.
  WorkerLink link(*process_, waitLimit_);
  std::uint8_t stray = 0;
  if (SendRequest(link, {WorkerOp::Exit, 0, {}})) (void)link.Read(&stray, 1);
  process_->Kill();
}

std::string WorkerArchives::Abandon(const std::string& activity, bool badAnswer) {
  const WorkerEnd end = process_ != nullptr ? process_->Kill() : WorkerEnd::Killed;
  process_.reset();
  return "the archive reader " + WhatHappened(end, badAnswer, waitLimit_) + " while " + activity;
}

void WorkerArchives::LoseReading(const std::string& name, bool badAnswer) {
  failedFiles_.insert(name);
  Note(Abandon("reading " + name, badAnswer));
}

void WorkerArchives::Note(std::string failure) {
  if (failure_.empty()) failure_ = std::move(failure);
}

std::string WorkerArchives::TakeReaderFailure() { return std::exchange(failure_, {}); }

OpenOutcome WorkerArchives::OpenArchives(const ArchivePath& game, const ArchivePath& base) {
  paths_[0] = game;
  paths_[1] = base;
  const OpenOutcome outcome = StartWithArchives();
  opened_ = outcome.open;
  return outcome;
}

OpenOutcome WorkerArchives::StartWithArchives() {
  process_ = std::make_unique<WorkerProcess>();
  if (std::string problem = process_->Start(); !problem.empty()) {
    process_.reset();
    return {false, problem};
  }
  WorkerLink link(*process_, waitLimit_);
  // Confined before the library sees a byte of either archive.
  ReplyHead head;
  const std::string paths = ArchivePathsText(paths_[0].native, paths_[1].native);
  if (!SendRequest(link, {WorkerOp::ConfineToArchives, 0, paths}) || !ReceiveReplyHead(link, head) ||
      head.byteCount != 0) {
    return {false, Abandon("starting")};
  }
  if (head.status != kDone) {
    process_->Kill();
    process_.reset();
    return {false, "the archive reader cannot confine itself"};
  }
  for (const ArchiveSlot slot : {ArchiveSlot::Game, ArchiveSlot::Base}) {
    const ArchivePath& path = paths_[static_cast<int>(slot)];
    const WorkerOp op = slot == ArchiveSlot::Game ? WorkerOp::OpenGameArchive : WorkerOp::OpenBaseArchive;
    std::optional<std::uint32_t> libraryError;
    if (!SendRequest(link, {op, 0, path.native}) || !ReceiveOpenReply(link, libraryError)) {
      return {false, Abandon("opening " + path.held)};
    }
    if (libraryError) {
      process_->Kill();
      process_.reset();
      return {false, path.held + ": " + DescribeLibraryError(*libraryError)};
    }
  }
  return {true, {}};
}

WorkerProcess* WorkerArchives::ReadyWorker() {
  if (process_ != nullptr) return process_.get();
  if (!opened_) return nullptr;
  // The files are checked again: they may have changed since the first worker opened them.
  std::string problem = RefusedArchiveDetail(paths_[0].held);
  if (problem.empty()) problem = RefusedArchiveDetail(paths_[1].held);
  if (problem.empty()) problem = StartWithArchives().detail;
  if (problem.empty()) return process_.get();
  opened_ = false;
  Note("the archive reader could not be started again: " + problem);
  return nullptr;
}

ExtractOutcome WorkerArchives::ReadWholeFile(const std::string& name, std::vector<std::uint8_t>& buffer) {
  if (failedFiles_.contains(name)) return ExtractOutcome::ReadFailed;
  WorkerProcess* worker = ReadyWorker();
  if (worker == nullptr) return ExtractOutcome::NoData;
  WorkerLink link(*worker, waitLimit_);
  ReplyHead head;
  if (!SendRequest(link, {WorkerOp::ReadWholeFile, 0, name}) || !ReceiveReplyHead(link, head)) {
    LoseReading(name);
    return ExtractOutcome::ReadFailed;
  }
  const auto outcome = static_cast<ExtractOutcome>(head.status);
  const bool carriesBytes = outcome == ExtractOutcome::Read;
  const bool knownOutcome = head.status <= static_cast<std::uint8_t>(ExtractOutcome::ReadFailed);
  const bool sizeFits =
      carriesBytes ? head.byteCount > 0 && head.byteCount <= kLargestArchiveFile : head.byteCount == 0;
  if (!knownOutcome || !sizeFits) {
    LoseReading(name, true);
    return ExtractOutcome::ReadFailed;
  }
  if (!carriesBytes) return outcome;
  try {
    buffer.resize(head.byteCount);
  } catch (const std::bad_alloc&) {
    if (!DiscardBytes(link, head.byteCount)) LoseReading(name);
    return ExtractOutcome::TooLarge;
  } catch (const std::length_error&) {
    if (!DiscardBytes(link, head.byteCount)) LoseReading(name);
    return ExtractOutcome::TooLarge;
  }
  if (!link.Read(buffer.data(), head.byteCount)) {
    LoseReading(name);
    return ExtractOutcome::ReadFailed;
  }
  return ExtractOutcome::Read;
}

bool WorkerArchives::ReadExactFile(const std::string& name, std::uint32_t size, std::uint8_t* destination) {
  if (failedFiles_.contains(name)) return false;
  WorkerProcess* worker = ReadyWorker();
  if (worker == nullptr) return false;
  WorkerLink link(*worker, waitLimit_);
  ReplyHead head;
  if (!SendRequest(link, {WorkerOp::ReadExactFile, size, name}) || !ReceiveReplyHead(link, head)) {
    LoseReading(name);
    return false;
  }
  const bool read = head.status == kDone;
  if (head.status > kDone || head.byteCount != (read ? size : 0)) {
    LoseReading(name, true);
    return false;
  }
  if (read && !link.Read(destination, size)) {
    LoseReading(name);
    return false;
  }
  return read;
}

std::unique_ptr<ArchiveCalls> StartArchiveCalls(std::chrono::milliseconds workerWaitLimit) {
  if (!WorkerProcessesAvailable()) return std::make_unique<StormArchives>();
  return std::make_unique<WorkerArchives>(workerWaitLimit);
}

}  // namespace gvde
