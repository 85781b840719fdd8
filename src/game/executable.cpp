#include "game/executable.h"

#include <limits>
#include <new>

#include "platform/file_system.h"

namespace gvde {
namespace {

// Offsets from the COFF file header.
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

// Offsets within a 40-byte section header.
constexpr std::uint32_t kSectionHeaderSize = 40;
constexpr std::uint32_t kVirtualSize = 8;
constexpr std::uint32_t kVirtualAddress = 12;
constexpr std::uint32_t kSizeOfRawData = 16;
constexpr std::uint32_t kPointerToRawData = 20;
constexpr std::uint32_t kSectionCharacteristics = 36;

constexpr std::uint32_t kExecutableImage = 0x0002;
constexpr std::uint32_t kUninitialisedData = 0x80;

std::uint16_t Get16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

std::uint32_t Get32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void Put32(std::uint8_t* p, std::uint32_t value) {
  p[0] = static_cast<std::uint8_t>(value);
  p[1] = static_cast<std::uint8_t>(value >> 8);
  p[2] = static_cast<std::uint8_t>(value >> 16);
  p[3] = static_cast<std::uint8_t>(value >> 24);
}

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
  std::uint32_t sectionAlignment;
  std::uint32_t fileAlignment;
  std::uint32_t sizeOfHeaders;
  std::uint32_t numberOfRvaAndSizes;
};

Headers ReadHeaders(const std::uint8_t* coff) {
  return Headers{Get16(coff + kMachine),
                 Get16(coff + kNumberOfSections),
                 Get16(coff + kSizeOfOptionalHeader),
                 Get16(coff + kCharacteristics),
                 Get16(coff + kMagic),
                 Get32(coff + kSectionAlignment),
                 Get32(coff + kFileAlignment),
                 Get32(coff + kSizeOfHeaders),
                 Get32(coff + kNumberOfRvaAndSizes)};
}

std::uint32_t SectionTableOffset(std::uint32_t headerOffset, std::uint32_t numberOfRvaAndSizes) {
  return headerOffset + kDataDirectories + 8 * numberOfRvaAndSizes;
}

std::uint8_t CheckHeaders(const Headers& h, std::uint32_t headerOffset, std::uint32_t fileSize) {
  const std::uint32_t headerEnd =
      SectionTableOffset(headerOffset, h.numberOfRvaAndSizes) + kSectionHeaderSize * h.numberOfSections;
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
  const std::uint64_t wideHeaderEnd = std::uint64_t{headerOffset} + kDataDirectories +
                                      8 * std::uint64_t{h.numberOfRvaAndSizes} +
                                      std::uint64_t{kSectionHeaderSize} * h.numberOfSections;
  if (headerEnd > fileSize || wideHeaderEnd > fileSize) return kExeTruncated;
  return kExeOk;
}

// Rewrites each section's sizes with their rounded values; false for a section without data.
bool RoundSectionSizes(std::uint8_t* table, std::uint32_t count, const Headers& h) {
  for (std::uint32_t i = 0; i < count; ++i) {
    std::uint8_t* section = table + i * kSectionHeaderSize;
    const std::uint32_t virtualSize = Get32(section + kVirtualSize);
    const std::uint32_t rawSize = Get32(section + kSizeOfRawData);
    if (rawSize == 0 &&
        (virtualSize == 0 || (Get32(section + kSectionCharacteristics) & kUninitialisedData) == 0)) {
      return false;
    }
    const std::uint32_t roundedRaw = RoundUp(rawSize, h.fileAlignment);
    Put32(section + kSizeOfRawData, roundedRaw);
    Put32(section + kVirtualSize, RoundUp(virtualSize != 0 ? virtualSize : roundedRaw, h.sectionAlignment));
  }
  return true;
}

template <typename T>
bool RangesOverlap(T startA, T endA, T startB, T endB) {
  return !(endA <= startB || endB <= startA);
}

bool SectionsOverlap(const std::uint8_t* table, std::uint32_t count) {
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint8_t* a = table + i * kSectionHeaderSize;
    for (std::uint32_t j = 0; j < i; ++j) {
      const std::uint8_t* b = table + j * kSectionHeaderSize;
      const std::uint32_t va = Get32(a + kVirtualAddress);
      const std::uint32_t vb = Get32(b + kVirtualAddress);
      if (RangesOverlap(Signed32(va), Signed32(va + Get32(a + kVirtualSize)), Signed32(vb),
                        Signed32(vb + Get32(b + kVirtualSize)))) {
        return true;
      }
      const std::uint32_t fa = Get32(a + kPointerToRawData);
      const std::uint32_t fb = Get32(b + kPointerToRawData);
      if (RangesOverlap(fa, fa + Get32(a + kSizeOfRawData), fb, fb + Get32(b + kSizeOfRawData))) return true;
    }
  }
  return false;
}

bool SectionDataInHeaders(const std::uint8_t* table, std::uint32_t count, std::uint32_t headerEnd) {
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint8_t* section = table + i * kSectionHeaderSize;
    if (Get32(section + kSizeOfRawData) != 0 && Get32(section + kPointerToRawData) < headerEnd) return true;
  }
  return false;
}

// Steps from the PE header on; rewrites the section sizes in `image`.
std::uint8_t CheckImage(std::vector<std::uint8_t>& image, std::uint32_t& headerOffset) {
  const auto fileSize = static_cast<std::uint32_t>(image.size());
  headerOffset = FindPEHeader(fileSize, image.data());
  if (headerOffset == 0) return kExeNoPeSignature;
  const Headers h = ReadHeaders(image.data() + headerOffset);
  const std::uint8_t headerStatus = CheckHeaders(h, headerOffset, fileSize);
  if (headerStatus != kExeOk) return headerStatus;

  std::uint8_t* table = image.data() + SectionTableOffset(headerOffset, h.numberOfRvaAndSizes);
  const std::uint32_t headerEnd =
      SectionTableOffset(headerOffset, h.numberOfRvaAndSizes) + kSectionHeaderSize * h.numberOfSections;
  if (!RoundSectionSizes(table, h.numberOfSections, h)) return kExeBadLayout;
  if (SectionsOverlap(table, h.numberOfSections)) return kExeBadLayout;
  if (SectionDataInHeaders(table, h.numberOfSections, headerEnd)) return kExeBadLayout;
  return kExeOk;
}

}  // namespace

std::uint32_t FindPEHeader(std::uint32_t size, const std::uint8_t* bytes) {
  if (size < 64 || bytes == nullptr) return 0;
  if (Get16(bytes) != 0x5A4D) return 0;
  const std::uint32_t lfanew = Get32(bytes + 0x3C);
  if (lfanew < 64 || std::uint64_t{lfanew} + 120 > size) return 0;
  if (Get32(bytes + lfanew) != 0x4550) return 0;
  return lfanew + 4;
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
    bytes = ReadWholeFile(fileName);
  } catch (const std::bad_alloc&) {
    exe->status = kExeNoMemory;
    return exe;
  }
  if (!bytes) return exe;
  if (bytes->empty()) {
    exe->status = kExeTruncated;
    return exe;
  }
  if (bytes->size() > std::numeric_limits<std::uint32_t>::max()) {
    exe->status = kExeNoMemory;
    return exe;
  }
  exe->image_ = std::move(*bytes);
  exe->fileSize = static_cast<std::uint32_t>(exe->image_.size());

  const std::uint8_t status = CheckImage(exe->image_, exe->headerOffset);
  if (status != kExeOk) std::vector<std::uint8_t>().swap(exe->image_);
  exe->status = status;
  return exe;
}

const std::uint8_t* executable::HeaderPointer() const {
  return image_.empty() ? nullptr : image_.data() + headerOffset;
}

std::optional<std::uint32_t> executable::VAToPointer(std::uint32_t va) const {
  const std::uint8_t* coff = HeaderPointer();
  if (coff == nullptr) return std::nullopt;
  const std::int64_t imageBase = Get32(coff + kImageBase);
  const std::uint32_t count = Get16(coff + kNumberOfSections);
  const std::uint8_t* table =
      image_.data() + SectionTableOffset(headerOffset, Get32(coff + kNumberOfRvaAndSizes));
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint8_t* section = table + i * kSectionHeaderSize;
    const std::int64_t start = imageBase + Signed32(Get32(section + kVirtualAddress));
    const std::int64_t end = start + Get32(section + kVirtualSize);
    if (start <= va && va < end) {
      const std::uint64_t offset =
          Get32(section + kPointerToRawData) + static_cast<std::uint64_t>(va - start);
      if (offset >= image_.size()) return std::nullopt;
      return static_cast<std::uint32_t>(offset);
    }
  }
  return std::nullopt;
}

std::optional<std::string> executable::TranslateString(std::uint32_t va) const {
  const std::optional<std::uint32_t> offset = VAToPointer(va);
  if (!offset) return std::nullopt;
  std::string text;
  for (std::size_t i = *offset; i < image_.size() && image_[i] != 0; ++i)
    text.push_back(static_cast<char>(image_[i]));
  return text;
}

std::string executable::ReadString(std::uint32_t va) const {
  return TranslateString(va).value_or("<NO STRING>");
}

RecordView executable::Record(std::uint32_t offset, std::uint32_t size) const {
  if (offset >= image_.size() || size > image_.size() - offset) return RecordView();
  return RecordView(image_.data() + offset, size);
}

TableWalk WalkTable(const executable& exe, std::uint32_t start, std::uint32_t recordSize,
                    std::uint32_t markerOffset, std::uint32_t markerValue) {
  TableWalk walk;
  if (recordSize == 0) return walk;  // a table of empty records would never end
  for (std::uint64_t offset = start; offset <= std::numeric_limits<std::uint32_t>::max();
       offset += recordSize) {
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

}  // namespace gvde
