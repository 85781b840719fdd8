// The messages between GameArchives and its worker process, over any byte stream. A request is
// an operation byte, a 32-bit size and a text (an archive path or a file name); a reply is a
// status byte, a 32-bit byte count and that many bytes. Numbers are little-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
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
  // text: native path; status 1 when open, else status 0 and the library's error code (u32)
  OpenGameArchive = 1,
  OpenBaseArchive = 2,
  ReadWholeFile = 3,  // text: file name; status: an ExtractOutcome, the bytes when Read
  ReadExactFile = 4,  // text: file name, size: expected size; status 1 and the bytes when read
  Exit = 5,           // no reply: the worker closes its archives and ends
  // The first request. text: the native paths of the game and the base archive, each ended by
  // a zero byte; status 1 once the worker can open nothing else, else 0 and the worker ends.
  ConfineToArchives = 6,
};

// The text of a ConfineToArchives request, and back; false for a text that is not two paths.
std::string ArchivePathsText(const std::string& gamePath, const std::string& basePath);
bool SplitArchivePathsText(const std::string& text, std::string& gamePath, std::string& basePath);

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

// The reply to an open request: status 1 when open, else status 0 and the library's error code.
bool SendOpenReply(ByteLink& link, std::optional<std::uint32_t> libraryError);
// Reads it back into `libraryError` (nothing when open); false for a reply of another shape.
bool ReceiveOpenReply(ByteLink& link, std::optional<std::uint32_t>& libraryError);

}  // namespace gvde
