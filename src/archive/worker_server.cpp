#include "archive/worker_server.h"

#include <cstdint>
#include <new>
#include <optional>
#include <string>
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

// The worker between requests: the archives it holds, and how far it is confined.
class Session {
 public:
  Session(ByteLink& link, const WorkerConfinement& confinement)
      : link_(link), toArchives_(confinement.toArchives), toReading_(confinement.toReading) {}

  // False when the worker is to end.
  bool Answer(const WorkerRequest& request) {
    switch (request.op) {
      case WorkerOp::ConfineToArchives:
        return AnswerConfine(request.text);
      case WorkerOp::OpenGameArchive:
        return AnswerOpen(ArchiveSlot::Game, request.text);
      case WorkerOp::OpenBaseArchive:
        return AnswerOpen(ArchiveSlot::Base, request.text);
      case WorkerOp::ReadWholeFile:
        return ConfineToReading() && AnswerReadWhole(link_, archives_, request.text);
      case WorkerOp::ReadExactFile:
        return ConfineToReading() && AnswerReadExact(link_, archives_, request.text, request.size);
      case WorkerOp::Exit:
        break;
    }
    return false;
  }

 private:
  bool AnswerConfine(const std::string& text) {
    std::string game;
    std::string base;
    if (confinedToArchives_ || !SplitArchivePathsText(text, game, base)) return false;
    if (toArchives_ != nullptr && !toArchives_(game, base)) {
      (void)SendReply(link_, kFailed, {});
      return false;
    }
    confinedToArchives_ = true;
    allowed_[0] = game;
    allowed_[1] = base;
    return SendReply(link_, kDone, {});
  }

  // With a confinement, only the archives named when confining are opened, and only after it.
  bool AnswerOpen(ArchiveSlot slot, const std::string& path) {
    const auto index = static_cast<std::size_t>(slot);
    if (toArchives_ != nullptr && (!confinedToArchives_ || path != allowed_[index])) return false;
    const std::optional<std::uint32_t> error = archives_.OpenArchive(slot, path);
    open_[index] = open_[index] || !error;
    // Confined again before the answer: no file is read from an archive before that.
    if (open_[0] && open_[1] && !ConfineToReading()) return false;
    return SendOpenReply(link_, error);
  }

  bool ConfineToReading() {
    if (toReading_ != nullptr && !toReading_()) return false;
    toReading_ = nullptr;
    return true;
  }

  ByteLink& link_;
  StormArchives archives_;
  bool (*toArchives_)(const std::string&, const std::string&);
  bool (*toReading_)();  // null once confined, or when there is nothing to confine
  bool confinedToArchives_ = false;
  std::string allowed_[2];  // by ArchiveSlot
  bool open_[2] = {false, false};
};

}  // namespace

int ServeArchiveRequests(ByteLink& link, const WorkerConfinement& confinement) {
  Session session(link, confinement);
  WorkerRequest request;
  while (ReceiveRequest(link, request)) {
    if (request.op == WorkerOp::Exit) return 0;
    if (!session.Answer(request)) return 1;
  }
  return 1;
}

}  // namespace gvde
