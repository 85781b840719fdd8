// The messages between GameArchives and its worker process, over any byte stream. A request is
// an operation byte, a 32-bit size and a text (an archive path or a file name); a reply is a
// status byte, a 32-bit byte count and that many bytes. Numbers are little-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace gvde {

// One end of a byte stream to the other process.
class ByteLink {
 public:
  virtual ~ByteLink() = default;
  // Each moves exactly `size` bytes, or fails when the stream ends, breaks or stays silent.
  bool Write(const std::uint8_t* data, std::size_t size);
  bool Read(std::uint8_t* data, std::size_t size);

 private:
  // One transfer of 1 to `size` bytes: how many moved, 0 when none can.
  virtual std::size_t WriteSome(const std::uint8_t* data, std::size_t size) = 0;
  virtual std::size_t ReadSome(std::uint8_t* data, std::size_t size) = 0;
};

enum class WorkerOp : std::uint8_t {
  OpenGameArchive = 1,  // text: native path; status 1 when open
  OpenBaseArchive = 2,
  ReadWholeFile = 3,  // text: file name; status: an ExtractOutcome, the bytes when Read
  ReadExactFile = 4,  // text: file name, size: expected size; status 1 and the bytes when read
  Exit = 5,           // no reply: the worker closes its archives and ends
};

struct WorkerRequest {
  WorkerOp op = WorkerOp::Exit;
  std::uint32_t size = 0;
  std::string text;
};

// Longer texts are refused on both sides; no path or file name comes near it.
constexpr std::uint32_t kLongestRequestText = 1u << 20;

bool SendRequest(ByteLink& link, const WorkerRequest& request);
// False at the end of the stream and for a malformed request.
bool ReceiveRequest(ByteLink& link, WorkerRequest& request);

struct ReplyHead {
  std::uint8_t status = 0;
  std::uint32_t byteCount = 0;
};

bool SendReply(ByteLink& link, std::uint8_t status, std::span<const std::uint8_t> bytes);
// Reads the status and byte count; the caller reads or discards the bytes.
bool ReceiveReplyHead(ByteLink& link, ReplyHead& head);
// Reads and drops `count` bytes, keeping the stream in step.
bool DiscardBytes(ByteLink& link, std::uint32_t count);

}  // namespace gvde
