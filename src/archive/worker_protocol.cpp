#include "archive/worker_protocol.h"

#include <algorithm>
#include <array>
#include <limits>
#include <new>
#include <vector>

#include "platform/byte_reader.h"
#include "platform/byte_writer.h"

namespace gvde {
namespace {

constexpr std::size_t kRequestHeadSize = 9;
constexpr std::size_t kReplyHeadSize = 5;

bool Allocate(std::vector<std::uint8_t>& message, std::size_t size) {
  try {
    message.resize(size);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

bool IsKnownOp(std::uint8_t op) {
  return op >= static_cast<std::uint8_t>(WorkerOp::OpenGameArchive) &&
         op <= static_cast<std::uint8_t>(WorkerOp::ConfineToArchives);
}

}  // namespace

std::string ArchivePathsText(const std::string& gamePath, const std::string& basePath) {
  std::string text = gamePath;
  text.push_back('\0');
  text += basePath;
  text.push_back('\0');
  return text;
}

bool SplitArchivePathsText(const std::string& text, std::string& gamePath, std::string& basePath) {
  const std::size_t gameEnd = text.find('\0');
  if (gameEnd == 0 || gameEnd == std::string::npos || text.size() < gameEnd + 3 || text.back() != '\0') {
    return false;
  }
  const std::size_t baseEnd = text.find('\0', gameEnd + 1);
  if (baseEnd != text.size() - 1) return false;
  gamePath = text.substr(0, gameEnd);
  basePath = text.substr(gameEnd + 1, baseEnd - gameEnd - 1);
  return true;
}

bool ByteLink::Write(const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const std::size_t moved = WriteSome(data, size);
    if (moved == 0 || moved > size) return false;
    data += moved;
    size -= moved;
  }
  return true;
}

bool ByteLink::Read(std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const std::size_t moved = ReadSome(data, size);
    if (moved == 0 || moved > size) return false;
    data += moved;
    size -= moved;
  }
  return true;
}

bool SendRequest(ByteLink& link, const WorkerRequest& request) {
  if (request.text.size() > kLongestRequestText) return false;
  // One write per message: each costs a system call on both sides.
  std::vector<std::uint8_t> message;
  if (!Allocate(message, kRequestHeadSize + request.text.size())) return false;
  message[0] = static_cast<std::uint8_t>(request.op);
  ByteWriter fields(message);
  fields.U32(1, request.size);
  fields.U32(5, static_cast<std::uint32_t>(request.text.size()));
  std::copy(request.text.begin(), request.text.end(), message.begin() + kRequestHeadSize);
  return link.Write(message.data(), message.size());
}

bool ReceiveRequest(ByteLink& link, WorkerRequest& request) {
  std::array<std::uint8_t, kRequestHeadSize> head{};
  if (!link.Read(head.data(), head.size()) || !IsKnownOp(head[0])) return false;
  const ByteReader fields(head);
  const std::uint32_t textLength = fields.U32(5);
  if (textLength > kLongestRequestText) return false;
  request.op = static_cast<WorkerOp>(head[0]);
  request.size = fields.U32(1);
  try {
    request.text.assign(textLength, '\0');
  } catch (const std::bad_alloc&) {
    return false;
  }
  return link.Read(reinterpret_cast<std::uint8_t*>(request.text.data()), textLength);
}

bool SendReply(ByteLink& link, std::uint8_t status, std::span<const std::uint8_t> bytes) {
  if (bytes.size() > std::numeric_limits<std::uint32_t>::max()) return false;
  std::vector<std::uint8_t> message;
  if (!Allocate(message, kReplyHeadSize + bytes.size())) return false;
  message[0] = status;
  ByteWriter(message).U32(1, static_cast<std::uint32_t>(bytes.size()));
  std::copy(bytes.begin(), bytes.end(), message.begin() + kReplyHeadSize);
  return link.Write(message.data(), message.size());
}

bool ReceiveReplyHead(ByteLink& link, ReplyHead& head) {
  std::array<std::uint8_t, kReplyHeadSize> bytes{};
  if (!link.Read(bytes.data(), bytes.size())) return false;
  head.status = bytes[0];
  head.byteCount = ByteReader(bytes).U32(1);
  return true;
}

bool DiscardBytes(ByteLink& link, std::uint32_t count) {
  std::array<std::uint8_t, 65536> scratch{};
  while (count > 0) {
    const std::uint32_t piece = count < scratch.size() ? count : static_cast<std::uint32_t>(scratch.size());
    if (!link.Read(scratch.data(), piece)) return false;
    count -= piece;
  }
  return true;
}

bool SendOpenReply(ByteLink& link, std::optional<std::uint32_t> libraryError) {
  if (!libraryError) return SendReply(link, 1, {});
  std::array<std::uint8_t, 4> code{};
  ByteWriter(code).U32(0, *libraryError);
  return SendReply(link, 0, code);
}

bool ReceiveOpenReply(ByteLink& link, std::optional<std::uint32_t>& libraryError) {
  ReplyHead head;
  if (!ReceiveReplyHead(link, head)) return false;
  if (head.status == 1 && head.byteCount == 0) {
    libraryError.reset();
    return true;
  }
  std::array<std::uint8_t, 4> code{};
  if (head.status != 0 || head.byteCount != code.size() || !link.Read(code.data(), code.size())) return false;
  libraryError = ByteReader(code).U32(0);
  return true;
}

}  // namespace gvde
