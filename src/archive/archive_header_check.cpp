#include "archive/archive_header_check.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <limits>
#include <vector>

#include "platform/byte_reader.h"
#include "platform/file_error.h"
#include "platform/file_system.h"

namespace gvde {
namespace {

constexpr std::uint32_t kArchiveId = 0x1A51504D;   // "MPQ\x1A"
constexpr std::uint32_t kUserDataId = 0x1B51504D;  // "MPQ\x1B"
constexpr std::uint64_t kSearchStep = 0x200;
constexpr std::uint32_t kSmallestHeaderSize = 0x20;
constexpr std::uint32_t kUserDataSize = 16;
constexpr std::uint16_t kNewestFormat = 3;
// The library computes the sector size 512 << shift in 32 bits: a larger shift gives 0.
constexpr std::uint16_t kLargestSectorShift = 22;
// Header bytes each format version has.
constexpr std::array<std::uint32_t, kNewestFormat + 1> kHeaderSizes = {0x20, 0x2C, 0x44, 0xD0};
constexpr std::uint64_t kTableEntrySize = 16;
constexpr std::uint64_t kHighBlockEntrySize = 2;

// Files are read a block at a time: the search looks at 16 bytes of every 512.
constexpr std::uint64_t kBlockSize = 1u << 20;

// The archive file, read block by block from disk.
class FileBytes {
 public:
  explicit FileBytes(const std::string& path) { opened_ = file_.Open(path); }
  bool Opened() const { return opened_; }
  std::uint64_t Size() const { return file_.Size(); }
  // Copies the `count` bytes at `offset`, which the caller has checked lie inside the file;
  // false when they cannot be read.
  bool Read(std::uint64_t offset, std::uint8_t* out, std::size_t count) {
    if (!InBlock(offset, count) && !Load(offset)) return false;
    if (!InBlock(offset, count)) return false;
    if (count != 0) std::memcpy(out, block_.data() + (offset - blockStart_), count);
    return true;
  }
  // Asks the system only beyond the block in memory, so a file without holes costs one call
  // per block.
  std::uint64_t DataFrom(std::uint64_t offset) {
    return InBlock(offset, 1) ? offset : file_.DataFrom(offset);
  }

 private:
  bool InBlock(std::uint64_t offset, std::size_t count) const {
    return offset >= blockStart_ && offset - blockStart_ <= block_.size() &&
           count <= block_.size() - (offset - blockStart_);
  }
  bool Load(std::uint64_t offset) {
    block_.resize(static_cast<std::size_t>(std::min(kBlockSize, file_.Size() - offset)));
    blockStart_ = offset;
    if (file_.ReadAt(offset, block_.data(), block_.size())) return true;
    block_.clear();
    return false;
  }

  InputFile file_;
  bool opened_ = false;
  std::vector<std::uint8_t> block_;
  std::uint64_t blockStart_ = 0;
};

using HeaderBytes = std::array<std::uint8_t, 0xD0>;

std::uint16_t U16(const HeaderBytes& header, std::size_t at) { return ByteReader(header).U16(at); }
std::uint32_t U32(const HeaderBytes& header, std::size_t at) { return ByteReader(header).U32(at); }
std::uint64_t U64(const HeaderBytes& header, std::size_t at) { return ByteReader(header).U64(at); }

// True when a table of `byteSize` bytes at `relative` bytes from the archive start ends inside
// the file; `start` is never past the end of the file.
bool TableInFile(std::uint64_t start, std::uint64_t relative, std::uint64_t byteSize,
                 std::uint64_t fileSize) {
  const std::uint64_t room = fileSize - start;
  return relative <= room && byteSize <= room - relative;
}

// The same for a table that may be absent, which a position of 0 says.
bool OptionalTableInFile(std::uint64_t start, std::uint64_t relative, std::uint64_t byteSize,
                         std::uint64_t fileSize) {
  return relative == 0 || TableInFile(start, relative, byteSize, fileSize);
}

// Formats 1 and 2 store their tables as they are, so every entry must be in the file. Formats
// 3 and 4 may compress them: there the positions, and the stored sizes of format 4, are checked.
bool TablesFit(const HeaderBytes& header, std::uint16_t format, std::uint64_t start, std::uint64_t fileSize) {
  std::uint64_t hashPosition = U32(header, 16);
  std::uint64_t blockPosition = U32(header, 20);
  const std::uint64_t hashEntries = U32(header, 24);
  const std::uint64_t blockEntries = U32(header, 28);
  std::uint64_t highBlockPosition = 0;
  if (format >= 1) {
    hashPosition |= static_cast<std::uint64_t>(U16(header, 40)) << 32;
    blockPosition |= static_cast<std::uint64_t>(U16(header, 42)) << 32;
    highBlockPosition = U64(header, 32);
  }
  if (format <= 1) {
    return TableInFile(start, hashPosition, hashEntries * kTableEntrySize, fileSize) &&
           TableInFile(start, blockPosition, blockEntries * kTableEntrySize, fileSize) &&
           OptionalTableInFile(start, highBlockPosition, blockEntries * kHighBlockEntrySize, fileSize);
  }
  const std::uint64_t betPosition = U64(header, 52);
  const std::uint64_t hetPosition = U64(header, 60);
  if (format == 2) {
    return TableInFile(start, hashPosition, 0, fileSize) && TableInFile(start, blockPosition, 0, fileSize) &&
           OptionalTableInFile(start, highBlockPosition, 0, fileSize) &&
           OptionalTableInFile(start, betPosition, 0, fileSize) &&
           OptionalTableInFile(start, hetPosition, 0, fileSize);
  }
  return TableInFile(start, hashPosition, U64(header, 68), fileSize) &&
         TableInFile(start, blockPosition, U64(header, 76), fileSize) &&
         OptionalTableInFile(start, highBlockPosition, U64(header, 84), fileSize) &&
         OptionalTableInFile(start, hetPosition, U64(header, 92), fileSize) &&
         OptionalTableInFile(start, betPosition, U64(header, 100), fileSize);
}

ArchiveHeaderVerdict HeaderVerdict(FileBytes& bytes, std::uint64_t start) {
  const std::uint64_t room = bytes.Size() - start;
  HeaderBytes header{};
  if (room < kSmallestHeaderSize) return ArchiveHeaderVerdict::CutShort;
  if (!bytes.Read(start, header.data(), kSmallestHeaderSize)) return ArchiveHeaderVerdict::Unreadable;
  const std::uint16_t format = U16(header, 12);
  const std::uint16_t sectorShift = U16(header, 14);
  if (format > kNewestFormat) return ArchiveHeaderVerdict::UnknownFormat;
  if (sectorShift > kLargestSectorShift) return ArchiveHeaderVerdict::HugeSectors;
  const std::uint32_t headerSize = kHeaderSizes[format];
  if (room < headerSize) return ArchiveHeaderVerdict::CutShort;
  if (!bytes.Read(start, header.data(), headerSize)) return ArchiveHeaderVerdict::Unreadable;
  return TablesFit(header, format, start, bytes.Size()) ? ArchiveHeaderVerdict::Usable
                                                        : ArchiveHeaderVerdict::TablesOutside;
}

// The first search step at or after `offset` that is not wholly inside a hole: holes read as
// zeros, which hold no header, so the search goes on where the data begins.
std::uint64_t NextStepWithData(FileBytes& bytes, std::uint64_t offset) {
  const std::uint64_t data = bytes.DataFrom(offset);
  if (data <= offset) return offset;
  return offset + (data - offset) / kSearchStep * kSearchStep;
}

// Follows the library's search. Wherever the library would read past the end of the file it
// would look at stale bytes, so such a file is refused.
ArchiveHeaderVerdict ProbeArchive(FileBytes& bytes) {
  const std::uint64_t fileSize = bytes.Size();
  bool userDataSeen = false;
  std::uint64_t offset = 0;
  while ((offset = NextStepWithData(bytes, offset)) < fileSize) {
    // Fewer than 8 bytes left: the library would take the header size from stale bytes.
    if (fileSize - offset < 8) return ArchiveHeaderVerdict::NoHeader;
    std::array<std::uint8_t, kUserDataSize> head{};
    const std::uint64_t available = std::min<std::uint64_t>(kUserDataSize, fileSize - offset);
    if (!bytes.Read(offset, head.data(), static_cast<std::size_t>(available))) {
      return ArchiveHeaderVerdict::Unreadable;
    }
    const ByteReader fields(head);
    const std::uint32_t id = fields.U32(0);
    if (id == kUserDataId && !userDataSeen) {
      if (fileSize - offset < kUserDataSize) return ArchiveHeaderVerdict::CutShort;
      const std::uint32_t userDataSize = fields.U32(4);
      const std::uint32_t headerOffset = fields.U32(8);
      const std::uint32_t userDataHeaderSize = fields.U32(12);
      if (userDataHeaderSize <= userDataSize && userDataSize <= headerOffset &&
          offset + headerOffset + kSmallestHeaderSize < fileSize) {
        userDataSeen = true;
        offset += headerOffset;
        continue;
      }
    }
    const std::uint32_t headerSize = fields.U32(4);
    if (id == kArchiveId && headerSize >= kSmallestHeaderSize) return HeaderVerdict(bytes, offset);
    offset += kSearchStep;
  }
  return ArchiveHeaderVerdict::NoHeader;
}

}  // namespace

ArchiveHeaderVerdict ProbeArchiveFile(const std::string& path) {
  FileBytes bytes(path);
  return bytes.Opened() ? ProbeArchive(bytes) : ArchiveHeaderVerdict::Unreadable;
}

std::string_view DescribeArchiveHeaderVerdict(ArchiveHeaderVerdict verdict) {
  switch (verdict) {
    case ArchiveHeaderVerdict::NoHeader:
      return "not an archive (no archive header found)";
    case ArchiveHeaderVerdict::CutShort:
      return "damaged archive (its header is cut off by the end of the file)";
    case ArchiveHeaderVerdict::UnknownFormat:
      return "damaged archive (unknown format version)";
    case ArchiveHeaderVerdict::HugeSectors:
      return "damaged archive (sector size too large)";
    case ArchiveHeaderVerdict::TablesOutside:
      return "damaged archive (a file table reaches past the end of the file)";
    case ArchiveHeaderVerdict::Usable:
    case ArchiveHeaderVerdict::Unreadable:
      break;
  }
  return {};
}

std::string RefusedArchiveDetail(const std::string& path) {
  ClearFileError();
  const ArchiveHeaderVerdict verdict = ProbeArchiveFile(path);
  if (verdict == ArchiveHeaderVerdict::Usable) return {};
  if (verdict != ArchiveHeaderVerdict::Unreadable) {
    return path + ": " + std::string(DescribeArchiveHeaderVerdict(verdict));
  }
  const std::string reason = DescribeFileError(path);
  return reason.empty() ? path + ": cannot be read" : reason;
}

}  // namespace gvde
