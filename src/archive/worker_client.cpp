#include "archive/worker_client.h"

#include <atomic>
#include <new>
#include <stdexcept>

#include "archive/archive_header_check.h"
#include "archive/storm_archives.h"
#include "archive/worker_launch.h"
#include "archive/worker_protocol.h"

namespace gvde {
namespace {

constexpr std::uint8_t kDone = 1;

std::atomic<long long> waitLimitMilliseconds{kWorkerWaitLimit.count()};

// The worker's stream, each wait on it bounded by the limit in force.
class WorkerLink final : public ByteLink {
 public:
  explicit WorkerLink(WorkerProcess& process) : process_(process) {}

 private:
  std::size_t WriteSome(const std::uint8_t* data, std::size_t size) override {
    return process_.Send(data, size, WorkerWaitLimit());
  }
  std::size_t ReadSome(std::uint8_t* data, std::size_t size) override {
    return process_.Receive(data, size, WorkerWaitLimit());
  }

  WorkerProcess& process_;
};

}  // namespace

std::chrono::milliseconds WorkerWaitLimit() {
  return std::chrono::milliseconds(waitLimitMilliseconds.load());
}

void SetWorkerWaitLimit(std::chrono::milliseconds limit) { waitLimitMilliseconds.store(limit.count()); }

WorkerArchives::WorkerArchives() : process_(std::make_unique<WorkerProcess>()) {
  if (!process_->Start()) process_.reset();
}

WorkerArchives::~WorkerArchives() {
  if (process_ == nullptr) return;
  // The worker closes its archives on the way out and then ends its stream; a worker that
  // cannot be told, or sends anything more, is killed.
  WorkerLink link(*process_);
  std::uint8_t stray = 0;
  if (SendRequest(link, {WorkerOp::Exit, 0, {}})) (void)link.Read(&stray, 1);
  process_->Kill();
}

void WorkerArchives::Abandon() {
  if (process_ == nullptr) return;
  process_->Kill();
  process_.reset();
}

bool WorkerArchives::OpenArchive(ArchiveSlot slot, const std::string& nativePath) {
  if (process_ == nullptr || !AskToOpen(slot, nativePath)) return false;
  openedPaths_[static_cast<int>(slot)] = nativePath;
  return true;
}

bool WorkerArchives::AskToOpen(ArchiveSlot slot, const std::string& nativePath) {
  WorkerLink link(*process_);
  const WorkerOp op = slot == ArchiveSlot::Game ? WorkerOp::OpenGameArchive : WorkerOp::OpenBaseArchive;
  ReplyHead head;
  if (!SendRequest(link, {op, 0, nativePath}) || !ReceiveReplyHead(link, head) || head.byteCount != 0) {
    Abandon();
    return false;
  }
  return head.status == kDone;
}

WorkerProcess* WorkerArchives::ReadyWorker() {
  if (process_ != nullptr) return process_.get();
  const bool bothOpened = !openedPaths_[0].empty() && !openedPaths_[1].empty();
  if (!bothOpened || restarts_ >= kWorkerRestarts) return nullptr;
  ++restarts_;
  process_ = std::make_unique<WorkerProcess>();
  if (!process_->Start()) {
    process_.reset();
    return nullptr;
  }
  for (const ArchiveSlot slot : {ArchiveSlot::Game, ArchiveSlot::Base}) {
    // The files are checked again: they may have changed since the first worker opened them.
    const std::string& path = openedPaths_[static_cast<int>(slot)];
    if (ProbeArchiveFile(path) != ArchiveHeaderVerdict::Usable || !AskToOpen(slot, path)) {
      Abandon();
      return nullptr;
    }
  }
  return process_.get();
}

ExtractOutcome WorkerArchives::ReadWholeFile(const std::string& name, std::vector<std::uint8_t>& buffer) {
  WorkerProcess* worker = ReadyWorker();
  if (worker == nullptr) return ExtractOutcome::NoData;
  WorkerLink link(*worker);
  ReplyHead head;
  if (!SendRequest(link, {WorkerOp::ReadWholeFile, 0, name}) || !ReceiveReplyHead(link, head)) {
    Abandon();
    return ExtractOutcome::ReadFailed;
  }
  const auto outcome = static_cast<ExtractOutcome>(head.status);
  const bool carriesBytes = outcome == ExtractOutcome::Read;
  const bool knownOutcome = head.status <= static_cast<std::uint8_t>(ExtractOutcome::ReadFailed);
  const bool sizeFits =
      carriesBytes ? head.byteCount > 0 && head.byteCount <= kLargestArchiveFile : head.byteCount == 0;
  if (!knownOutcome || !sizeFits) {
    Abandon();
    return ExtractOutcome::ReadFailed;
  }
  if (!carriesBytes) return outcome;
  try {
    buffer.resize(head.byteCount);
  } catch (const std::bad_alloc&) {
    if (!DiscardBytes(link, head.byteCount)) Abandon();
    return ExtractOutcome::TooLarge;
  } catch (const std::length_error&) {
    if (!DiscardBytes(link, head.byteCount)) Abandon();
    return ExtractOutcome::TooLarge;
  }
  if (!link.Read(buffer.data(), head.byteCount)) {
    Abandon();
    return ExtractOutcome::ReadFailed;
  }
  return ExtractOutcome::Read;
}

bool WorkerArchives::ReadExactFile(const std::string& name, std::uint32_t size, std::uint8_t* destination) {
  WorkerProcess* worker = ReadyWorker();
  if (worker == nullptr) return false;
  WorkerLink link(*worker);
  ReplyHead head;
  if (!SendRequest(link, {WorkerOp::ReadExactFile, size, name}) || !ReceiveReplyHead(link, head)) {
    Abandon();
    return false;
  }
  const bool read = head.status == kDone;
  if (head.status > kDone || head.byteCount != (read ? size : 0)) {
    Abandon();
    return false;
  }
  if (read && !link.Read(destination, size)) {
    Abandon();
    return false;
  }
  return read;
}

std::unique_ptr<ArchiveCalls> StartArchiveCalls() {
  if (!WorkerProcessesAvailable()) return std::make_unique<StormArchives>();
  auto worker = std::make_unique<WorkerArchives>();
  if (!worker->Started()) return nullptr;
  return worker;
}

}  // namespace gvde
