#include "game/executable.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <new>

#include "game/executable_internal.h"
#include "platform/byte_writer.h"
#include "platform/file_error.h"
#include "platform/file_system.h"

namespace gvde {
namespace {

// Offsets from the COFF file header.
namespace coff {
constexpr std::uint32_t kMachine = 0;
constexpr std::uint32_t kNumberOfSections = 2;
constexpr std::uint32_t kSizeOfOptionalHeader = 16;
constexpr std::uint32_t kCharacteristics = 18;
constexpr std::uint32_t kMagic = 20;
constexpr std::uint32_t kImageBase = 48;
constexpr std::uint32_t kSectionAlignment = 52;
constexpr std::uint32_t kFileAlignment = 56;
constexpr std::uint32_t kSizeOfHeaders = 80;
constexpr std::uint32_t kNumberOfRvaAndSizes = 112;
constexpr std::uint32_t kDataDirectories = 116;
constexpr std::uint32_t kDataDirectorySize = 8;
}  // namespace coff

// Offsets within a 40-byte section header.
namespace section {
constexpr std::uint32_t kHeaderSize = 40;
constexpr std::uint32_t kVirtualSize = 8;
constexpr std::uint32_t kVirtualAddress = 12;
constexpr std::uint32_t kSizeOfRawData = 16;
constexpr std::uint32_t kPointerToRawData = 20;
constexpr std::uint32_t kCharacteristics = 36;
}  // namespace section

// Offsets in the MS-DOS header.
constexpr std::uint32_t kLfanew = 0x3C;
constexpr std::uint16_t kMzSignature = 0x5A4D;
constexpr std::uint32_t kPeSignature = 0x4550;
// The signature, the COFF header and the first 96 bytes of the optional header.
constexpr std::uint32_t kFixedHeaderBytes = 120;

constexpr std::uint32_t kExecutableImage = 0x0002;
constexpr std::uint32_t kUninitialisedData = 0x80;

// Two's-complement view of a 32-bit value, without a narrowing conversion.
std::int64_t Signed32(std::uint32_t value) {
  return value < 0x80000000u ? static_cast<std::int64_t>(value)
                             : static_cast<std::int64_t>(value) - 0x100000000LL;
}

// The header values read by the checks; all lie in the 120 bytes FindPEHeader vouches for.
struct Headers {
  std::uint16_t machine;
  std::uint16_t numberOfSections;
  std::uint16_t sizeOfOptionalHeader;
  std::uint16_t characteristics;
  std::uint16_t magic;
  std::uint32_t imageBase;
  std::uint32_t sectionAlignment;
  std::uint32_t fileAlignment;
  std::uint32_t sizeOfHeaders;
  std::uint32_t numberOfRvaAndSizes;
};

Headers ReadHeaders(const ByteReader& header) {
  return Headers{header.U16(coff::kMachine),
                 header.U16(coff::kNumberOfSections),
                 header.U16(coff::kSizeOfOptionalHeader),
                 header.U16(coff::kCharacteristics),
                 header.U16(coff::kMagic),
                 header.U32(coff::kImageBase),
                 header.U32(coff::kSectionAlignment),
                 header.U32(coff::kFileAlignment),
                 header.U32(coff::kSizeOfHeaders),
                 header.U32(coff::kNumberOfRvaAndSizes)};
}

std::uint32_t SectionTableOffset(std::uint32_t headerOffset, std::uint32_t numberOfRvaAndSizes) {
  return headerOffset + coff::kDataDirectories + coff::kDataDirectorySize * numberOfRvaAndSizes;
}

// The offset just past the section table, in 32-bit arithmetic.
std::uint32_t HeaderEnd(const Headers& h, std::uint32_t headerOffset) {
  return SectionTableOffset(headerOffset, h.numberOfRvaAndSizes) + section::kHeaderSize * h.numberOfSections;
}

std::uint8_t CheckHeaders(const Headers& h, std::uint32_t headerOffset, std::uint32_t fileSize) {
  const std::uint32_t headerEnd = HeaderEnd(h, headerOffset);
  if (h.sizeOfOptionalHeader != 96 + 8 * h.numberOfRvaAndSizes || h.numberOfSections == 0)
    return kExeBadLayout;
  if (h.fileAlignment > h.sectionAlignment || NextPowerOfTwo(h.fileAlignment) != h.fileAlignment ||
      NextPowerOfTwo(h.sectionAlignment) != h.sectionAlignment || h.fileAlignment < 512 ||
      h.fileAlignment > 65536) {
    return kExeBadLayout;
  }
  if (RoundUp(headerEnd, h.fileAlignment) != h.sizeOfHeaders) return kExeBadLayout;
  if (h.machine != 0x014C || (h.characteristics & kExecutableImage) == 0 || h.magic != 0x010B ||
      h.numberOfRvaAndSizes > 16) {
    return kExeNotI386Image;
  }
  // The 64-bit sum also catches a 32-bit headerEnd that wrapped round.
  const std::uint64_t wideHeaderEnd = std::uint64_t{headerOffset} + coff::kDataDirectories +
                                      std::uint64_t{coff::kDataDirectorySize} * h.numberOfRvaAndSizes +
                                      std::uint64_t{section::kHeaderSize} * h.numberOfSections;
  if (headerEnd > fileSize || wideHeaderEnd > fileSize) return kExeTruncated;
  return kExeOk;
}

// Reads the section table and rewrites each section's sizes in `image` with their rounded
// values; false at the first section without data.
bool ReadSections(std::vector<std::uint8_t>& image, std::uint32_t tableOffset, const Headers& h,
                  std::vector<SectionHeader>& sections) {
  sections.reserve(h.numberOfSections);
  for (std::uint32_t i = 0; i < h.numberOfSections; ++i) {
    const std::uint32_t at = tableOffset + i * section::kHeaderSize;
    const ByteReader entry = ByteReader(image).Sub(at, section::kHeaderSize);
    SectionHeader s;
    s.virtualAddress = entry.U32(section::kVirtualAddress);
    s.pointerToRawData = entry.U32(section::kPointerToRawData);
    const std::uint32_t virtualSize = entry.U32(section::kVirtualSize);
    const std::uint32_t rawSize = entry.U32(section::kSizeOfRawData);
    if (rawSize == 0 &&
        (virtualSize == 0 || (entry.U32(section::kCharacteristics) & kUninitialisedData) == 0)) {
      return false;
    }
    s.sizeOfRawData = RoundUp(rawSize, h.fileAlignment);
    s.virtualSize = RoundUp(virtualSize != 0 ? virtualSize : s.sizeOfRawData, h.sectionAlignment);
    ByteWriter(image).U32(at + section::kSizeOfRawData, s.sizeOfRawData);
    ByteWriter(image).U32(at + section::kVirtualSize, s.virtualSize);
    sections.push_back(s);
  }
  return true;
}

// Virtual ranges are compared as signed 32-bit values and file ranges as unsigned ones; both
// ends are formed in 32 bits, with the rounded sizes.
bool SectionsOverlap(const std::vector<SectionHeader>& sections) {
  std::vector<SectionRange> virtualRanges;
  std::vector<SectionRange> fileRanges;
  virtualRanges.reserve(sections.size());
  fileRanges.reserve(sections.size());
  for (const SectionHeader& s : sections) {
    virtualRanges.push_back({Signed32(s.virtualAddress), Signed32(s.virtualAddress + s.virtualSize)});
    fileRanges.push_back({s.pointerToRawData, std::uint32_t{s.pointerToRawData + s.sizeOfRawData}});
  }
  return AnyTwoOverlap(std::move(virtualRanges)) || AnyTwoOverlap(std::move(fileRanges));
}

bool SectionDataInHeaders(const std::vector<SectionHeader>& sections, std::uint32_t headerEnd) {
  for (const SectionHeader& s : sections) {
    if (s.sizeOfRawData != 0 && s.pointerToRawData < headerEnd) return true;
  }
  return false;
}

}  // namespace

std::uint32_t FindPEHeader(std::uint32_t size, const std::uint8_t* bytes) {
  if (size < 64 || bytes == nullptr) return 0;
  const ByteReader file(bytes, size);
  if (file.U16(0) != kMzSignature) return 0;
  const std::uint32_t lfanew = file.U32(kLfanew);
  if (lfanew < 64 || std::uint64_t{lfanew} + kFixedHeaderBytes > size) return 0;
  if (file.U32(lfanew) != kPeSignature) return 0;
  return lfanew + 4;
}

// Ranges with start < end, sorted by start, overlap exactly when one starts before the one
// before it ends; when none does, they are disjoint and their ends grow with their starts. A
// range with end <= start overlaps no other such range (that would need b.start < a.end <=
// a.start < b.end <= b.start), and overlaps a proper range exactly when the last proper range
// that starts before its end reaches past its start.
bool AnyTwoOverlap(std::vector<SectionRange> ranges) {
  const auto byStart = [](const SectionRange& a, const SectionRange& b) { return a.start < b.start; };
  const auto firstEmpty =
      std::partition(ranges.begin(), ranges.end(), [](const SectionRange& r) { return r.start < r.end; });
  std::sort(ranges.begin(), firstEmpty, byStart);
  for (auto r = ranges.begin(); r != firstEmpty; ++r) {
    if (r != ranges.begin() && r->start < std::prev(r)->end) return true;
  }
  for (auto empty = firstEmpty; empty != ranges.end(); ++empty) {
    const auto after = std::lower_bound(ranges.begin(), firstEmpty, SectionRange{empty->end, 0}, byStart);
    if (after != ranges.begin() && std::prev(after)->end > empty->start) return true;
  }
  return false;
}

std::uint32_t NextPowerOfTwo(std::uint32_t x) {
  std::uint32_t power = 1;
  while (power < x) {
    if (power == 0x80000000u) return 0;  // no 32-bit power of two reaches x
    power <<= 1;
  }
  return power;
}

std::uint32_t RoundUp(std::uint32_t x, std::uint32_t alignment) {
  if (alignment == 0) return x;
  return (x / alignment + (x % alignment != 0 ? 1u : 0u)) * alignment;
}

std::unique_ptr<executable> executable::Create(const std::string& fileName) {
  auto exe = std::make_unique<executable>();
  exe->status = kExeCannotOpen;
  if (fileName.empty()) return exe;

  std::optional<std::vector<std::uint8_t>> bytes;
  try {
    bytes = ReadWholeFile(fileName, kMaxExecutableFileSize);
  } catch (const std::bad_alloc&) {
    exe->status = kExeNoMemory;
    return exe;
  }
  if (!bytes) return exe;
  exe->Load(std::move(*bytes));
  return exe;
}

std::unique_ptr<executable> executable::FromBytes(std::span<const std::uint8_t> bytes) {
  auto exe = std::make_unique<executable>();
  std::vector<std::uint8_t> copy;
  try {
    copy.assign(bytes.begin(), bytes.end());
  } catch (const std::bad_alloc&) {
    exe->status = kExeNoMemory;
    return exe;
  }
  exe->Load(std::move(copy));
  return exe;
}

// The steps after the file has been read.
void executable::Load(std::vector<std::uint8_t> bytes) {
  if (bytes.empty()) {
    status = kExeTruncated;
    return;
  }
  if (bytes.size() > std::numeric_limits<std::uint32_t>::max()) {
    status = kExeNoMemory;
    return;
  }
  image_ = std::move(bytes);
  fileSize = static_cast<std::uint32_t>(image_.size());
  try {
    status = CheckImage();
  } catch (const std::bad_alloc&) {
    status = kExeNoMemory;  // the parsed section table could not be held
  }
  if (status != kExeOk) {
    std::vector<std::uint8_t>().swap(image_);
    sections_.clear();
  }
}

// Steps from the PE header on; parses the section table and rewrites its sizes in the image.
std::uint8_t executable::CheckImage() {
  headerOffset = FindPEHeader(fileSize, image_.data());
  if (headerOffset == 0) return kExeNoPeSignature;
  const Headers h = ReadHeaders(ByteReader(image_).Sub(headerOffset, coff::kDataDirectories));
  const std::uint8_t headerStatus = CheckHeaders(h, headerOffset, fileSize);
  if (headerStatus != kExeOk) return headerStatus;

  const std::uint32_t tableOffset = SectionTableOffset(headerOffset, h.numberOfRvaAndSizes);
  if (!ReadSections(image_, tableOffset, h, sections_)) return kExeBadLayout;
  if (SectionsOverlap(sections_)) return kExeBadLayout;
  if (SectionDataInHeaders(sections_, HeaderEnd(h, headerOffset))) return kExeBadLayout;
  imageBase_ = h.imageBase;
  return kExeOk;
}

std::optional<std::uint32_t> executable::VAToPointer(std::uint32_t va) const {
  for (const SectionHeader& s : sections_) {
    const std::int64_t start = std::int64_t{imageBase_} + Signed32(s.virtualAddress);
    const std::int64_t end = start + s.virtualSize;
    if (start <= va && va < end) {
      const auto inSection = static_cast<std::uint64_t>(va - start);
      // The part of a section at or past its rounded raw size has no bytes in the file: it
      // reads as the bytes past the end of the file do.
      if (inSection >= s.sizeOfRawData) return std::nullopt;
      const std::uint64_t offset = s.pointerToRawData + inSection;
      if (offset >= image_.size()) return std::nullopt;
      return static_cast<std::uint32_t>(offset);
    }
  }
  return std::nullopt;
}

std::optional<std::string> executable::TranslateString(std::uint32_t va) const {
  const std::optional<std::uint32_t> offset = VAToPointer(va);
  if (!offset) return std::nullopt;
  const auto start = image_.begin() + *offset;
  const auto limit = start + std::min<std::ptrdiff_t>(kMaxGameTextLength, image_.end() - start);
  return std::string(start, std::find(start, limit, std::uint8_t{0}));
}

std::string executable::ReadString(std::uint32_t va) const {
  return TranslateString(va).value_or(std::string(kNoString));
}

RecordView executable::Record(std::uint32_t offset, std::uint32_t size) const {
  if (offset >= image_.size()) return RecordView();
  return ByteReader(image_).Sub(offset, size);
}

TableWalk WalkTable(const executable& exe, std::uint32_t start, std::uint32_t recordSize,
                    std::uint32_t markerOffset, std::uint32_t markerValue) {
  TableWalk walk;
  if (recordSize == 0) return walk;  // a table of empty records would never end
  for (std::uint64_t offset = start; offset <= std::numeric_limits<std::uint32_t>::max();
       offset += recordSize) {
    if (walk.records.size() == kMaxTableRecords) break;
    const RecordView record = exe.Record(static_cast<std::uint32_t>(offset), recordSize);
    if (!record.Valid()) break;
    if (record.U32(markerOffset) == markerValue) {
      walk.terminatorOffset = static_cast<std::uint32_t>(offset);
      break;
    }
    walk.records.push_back(record);
  }
  return walk;
}

std::string DescribeExeStatus(const std::string& path, std::uint8_t status) {
  switch (status) {
    case kExeCannotOpen:
      return DescribeFileError(path);
    case kExeTruncated:
      return path + ": empty, or ends inside its headers";
    case kExeNoPeSignature:
      return path + ": not a Windows program (no PE header)";
    case kExeBadLayout:
      return path + ": damaged headers or section table";
    case kExeNotI386Image:
      return path + ": not a 32-bit i386 program";
    case kExeNoMemory:
      return path + ": not enough memory to load it";
    default:
      return {};
  }
}

}  // namespace gvde
