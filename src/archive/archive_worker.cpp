#include "archive/archive_worker.h"

#include <cstdint>
#include <new>
#include <vector>

#include "archive/storm_archives.h"

namespace gvde {
namespace {

constexpr std::uint8_t kFailed = 0;
constexpr std::uint8_t kDone = 1;

bool AnswerOpen(ByteLink& link, StormArchives& archives, ArchiveSlot slot, const std::string& path) {
  return SendReply(link, archives.OpenArchive(slot, path) ? kDone : kFailed, {});
}

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

bool Answer(ByteLink& link, StormArchives& archives, const WorkerRequest& request) {
  switch (request.op) {
    case WorkerOp::OpenGameArchive:
      return AnswerOpen(link, archives, ArchiveSlot::Game, request.text);
    case WorkerOp::OpenBaseArchive:
      return AnswerOpen(link, archives, ArchiveSlot::Base, request.text);
    case WorkerOp::ReadWholeFile:
      return AnswerReadWhole(link, archives, request.text);
    case WorkerOp::ReadExactFile:
      return AnswerReadExact(link, archives, request.text, request.size);
    case WorkerOp::Exit:
      break;
  }
  return false;
}

}  // namespace

int ServeArchiveRequests(ByteLink& link) {
  StormArchives archives;
  WorkerRequest request;
  while (ReceiveRequest(link, request)) {
    if (request.op == WorkerOp::Exit) return 0;
    if (!Answer(link, archives, request)) return 1;
  }
  return 1;
}

}  // namespace gvde
