#include "archive/worker_server.h"

#include <cstdint>
#include <new>
#include <vector>

#include "archive/storm_archives.h"

namespace gvde {
namespace {

constexpr std::uint8_t kFailed = 0;
constexpr std::uint8_t kDone = 1;

bool AnswerReadWhole(ByteLink& link, StormArchives& archives, const std::string& name) {
  std::vector<std::uint8_t> bytes;
  const ExtractOutcome outcome = archives.ReadWholeFile(name, bytes);
  if (outcome != ExtractOutcome::Read) bytes.clear();
  return SendReply(link, static_cast<std::uint8_t>(outcome), bytes);
}

bool AnswerReadExact(ByteLink& link, StormArchives& archives, const std::string& name, std::uint32_t size) {
  std::vector<std::uint8_t> bytes;
  // One spare byte keeps the destination non-null for a file of 0 bytes.
  const bool read = archives.ReadExactFileInto(name, size, [&bytes, size]() -> std::uint8_t* {
    if (static_cast<std::uint64_t>(size) + 1 > bytes.max_size()) return nullptr;
    try {
      bytes.resize(static_cast<std::size_t>(size) + 1);
    } catch (const std::bad_alloc&) {
      return nullptr;
    }
    return bytes.data();
  });
  if (!read) return SendReply(link, kFailed, {});
  return SendReply(link, kDone, std::span<const std::uint8_t>(bytes.data(), size));
}

bool IsOpenRequest(WorkerOp op) { return op == WorkerOp::OpenGameArchive || op == WorkerOp::OpenBaseArchive; }

// The worker between requests: the archives it holds, and whether it is confined yet.
class Session {
 public:
  Session(ByteLink& link, bool (*confine)()) : link_(link), confine_(confine) {}

  // False when the worker is to end.
  bool Answer(const WorkerRequest& request) {
    if (IsOpenRequest(request.op)) return AnswerOpen(request);
    if (!ConfineOnce()) return false;
    if (request.op == WorkerOp::ReadWholeFile) return AnswerReadWhole(link_, archives_, request.text);
    return AnswerReadExact(link_, archives_, request.text, request.size);
  }

 private:
  bool AnswerOpen(const WorkerRequest& request) {
    const ArchiveSlot slot = request.op == WorkerOp::OpenGameArchive ? ArchiveSlot::Game : ArchiveSlot::Base;
    const bool opened = archives_.OpenArchive(slot, request.text);
    open_[static_cast<int>(slot)] = open_[static_cast<int>(slot)] || opened;
    // Confined before the answer: no file is read from an archive before that.
    if (open_[0] && open_[1] && !ConfineOnce()) return false;
    return SendReply(link_, opened ? kDone : kFailed, {});
  }

  bool ConfineOnce() {
    if (confine_ != nullptr && !confine_()) return false;
    confine_ = nullptr;
    return true;
  }

  ByteLink& link_;
  StormArchives archives_;
  bool open_[2] = {false, false};
  bool (*confine_)();  // null once confined, or when there is nothing to confine
};

}  // namespace

int ServeArchiveRequests(ByteLink& link, bool (*confine)()) {
  Session session(link, confine);
  WorkerRequest request;
  while (ReceiveRequest(link, request)) {
    if (request.op == WorkerOp::Exit) return 0;
    if (!session.Answer(request)) return 1;
  }
  return 1;
}

}  // namespace gvde
