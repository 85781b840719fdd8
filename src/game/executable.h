// The game executable GV.exe, loaded whole as a private image, with translation of game
// virtual addresses through the section table. Every read is bounded by the file.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "game/record_view.h"

namespace gvde {

// Load status codes (executable::status).
enum : std::uint8_t {
  kExeOk = 0,
  kExeCannotOpen = 1,
  kExeTruncated = 2,
  kExeNoPeSignature = 4,
  kExeBadLayout = 5,
  kExeNotI386Image = 6,
  kExeNoMemory = 7,
};

// One entry of the section table, with the sizes the loader has rounded.
struct SectionHeader {
  std::uint32_t virtualSize = 0;
  std::uint32_t virtualAddress = 0;
  std::uint32_t sizeOfRawData = 0;
  std::uint32_t pointerToRawData = 0;
};

// A game text ends at its first zero byte, at the end of the file, or after this many bytes,
// so that texts without a zero cannot take memory without bound.
constexpr std::uint32_t kMaxGameTextLength = 256;

// What stands for a game text whose address does not translate.
inline constexpr std::string_view kNoString = "<NO STRING>";

// GV.exe files above this size are refused before anything is read (a real one is a few MiB).
constexpr std::uint64_t kMaxExecutableFileSize = 64u << 20;

// Table walks end after this many records, as at a record that does not fit in the file.
constexpr std::uint32_t kMaxTableRecords = 65536;

// Why a GV.exe at `path` did not load, for status `status`: the system's reason when it could
// not be read, else what is wrong with its contents.
std::string DescribeExeStatus(const std::string& path, std::uint8_t status);

class executable {
 public:
  // Reads the file and loads it as FromBytes does; a file that cannot be read or is larger
  // than kMaxExecutableFileSize gives status 1. Always returns an object; `status` tells
  // whether it is usable (0).
  static std::unique_ptr<executable> Create(const std::string& fileName);
  // Loads a copy of the bytes of a GV.exe file held in memory.
  static std::unique_ptr<executable> FromBytes(std::span<const std::uint8_t> bytes);

  std::uint8_t status = kExeCannotOpen;
  std::uint32_t fileSize = 0;
  std::uint32_t headerOffset = 0;

  // File offset of the byte that `va` names: nullopt when no section covers `va`, when `va`
  // lies past the section's rounded raw size, or when the translated position lies outside
  // the file (such bytes give no data).
  std::optional<std::uint32_t> VAToPointer(std::uint32_t va) const;

  // The text at `va`, ending at the first zero byte, at the end of the file or after
  // kMaxGameTextLength bytes; nullopt when `va` does not translate.
  std::optional<std::string> TranslateString(std::uint32_t va) const;

  // TranslateString, or "<NO STRING>" when `va` does not translate.
  std::string ReadString(std::uint32_t va) const;

  // A view of `size` bytes at file `offset`; invalid (Valid() false) unless wholly inside.
  RecordView Record(std::uint32_t offset, std::uint32_t size) const;

  // The section table with the sizes the loader rounded, and the image base; both empty
  // (0) unless the image loaded.
  const std::vector<SectionHeader>& Sections() const { return sections_; }
  std::uint32_t ImageBase() const { return imageBase_; }

 private:
  void Load(std::vector<std::uint8_t> bytes);
  std::uint8_t CheckImage();

  std::vector<std::uint8_t> image_;
  // Parsed once when the image is valid; empty otherwise.
  std::uint32_t imageBase_ = 0;
  std::vector<SectionHeader> sections_;
};

// One walk over a game table: the records before the terminator, in table order.
struct TableWalk {
  std::vector<RecordView> records;
  // File offset of the terminator record, or nullopt when the table ran to the end of the
  // file (a record that does not fit wholly in the file ends the table too).
  std::optional<std::uint32_t> terminatorOffset;
};

// Walks records of `recordSize` bytes from file offset `start` until one whose 32-bit
// field at `markerOffset` equals `markerValue`, for at most kMaxTableRecords records.
TableWalk WalkTable(const executable& exe, std::uint32_t start, std::uint32_t recordSize,
                    std::uint32_t markerOffset, std::uint32_t markerValue);

}  // namespace gvde
