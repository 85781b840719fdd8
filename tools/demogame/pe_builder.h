// Builds PE32 i386 images for tests and the demo game: headers, a section table and
// sections with chosen alignments and flags. Any header field can be set wrong afterwards.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace gvde::demogame {

struct PeSection {
  std::string name = ".data";
  std::uint32_t virtualAddress = 0;  // RVA; 0 = placed after the previous section
  std::uint32_t virtualSize = 0;     // 0 = size of the raw data
  std::uint32_t characteristics = 0xC0000040;  // initialised data, read, write
  std::vector<std::uint8_t> data;    // raw data (padded to FileAlignment when built)
  // With no data: a section flagged 0x80 (uninitialised data) gets no raw data at all;
  // any other section gets one FileAlignment block of zeros so that the image stays valid.
};

// Where Build puts one section (header values as written, sizes before the loader rounds).
struct PeSectionLayout {
  std::uint32_t virtualAddress = 0;
  std::uint32_t virtualSize = 0;
  std::uint32_t sizeOfRawData = 0;
  std::uint32_t pointerToRawData = 0;
};

class PeBuilder {
 public:
  PeBuilder();  // a valid image: ImageBase 0x400000, SectionAlignment 0x1000, FileAlignment 0x200

  std::uint32_t imageBase = 0x400000;
  std::uint32_t sectionAlignment = 0x1000;
  std::uint32_t fileAlignment = 0x200;
  std::uint16_t machine = 0x014C;
  std::uint16_t characteristics = 0x0102;  // executable image, 32-bit machine
  std::uint16_t magic = 0x010B;
  std::uint32_t numberOfRvaAndSizes = 16;
  std::vector<PeSection> sections;  // starts with one empty ".data" section at RVA 0x1000

  // Offset of the "PE\0\0" signature, written as e_lfanew at 0x3C.
  std::uint32_t peHeaderOffset = 0x80;
  // Values written instead of the consistent ones (the layout still follows the real ones).
  std::optional<std::uint16_t> numberOfSectionsOverride;
  std::optional<std::uint16_t> sizeOfOptionalHeaderOverride;
  std::optional<std::uint32_t> sizeOfHeadersOverride;

  // Appends bytes to the data section (section 0) and returns their game virtual address.
  std::uint32_t AddData(std::span<const std::uint8_t> bytes);
  // Appends a zero-terminated string; returns its virtual address.
  std::uint32_t AddString(std::string_view text);
  // Appends `count` zero bytes; returns their virtual address.
  std::uint32_t AddZeros(std::uint32_t count);
  // The virtual address the next Add* call will return.
  std::uint32_t NextVA() const;
  // Overwrites 4 bytes (little-endian) at a virtual address handed out by AddData
  // (the data section grows when the bytes lie past its end).
  void PatchU32(std::uint32_t va, std::uint32_t value);

  // Header positions in the built file.
  std::uint32_t CoffHeaderOffset() const { return peHeaderOffset + 4; }
  std::uint32_t SectionHeaderOffset(std::size_t index) const;
  // Offset just past the section table, and that rounded up to FileAlignment.
  std::uint32_t HeaderEnd() const;
  std::uint32_t SizeOfHeaders() const;
  // Where each section goes, in table order.
  std::vector<PeSectionLayout> Layout() const;
  // File offset of a virtual address inside section 0's data.
  std::uint32_t FileOffsetOf(std::uint32_t va) const;

  // Lays the image out (section RVAs and file offsets assigned in order) and returns the file.
  std::vector<std::uint8_t> Build() const;

 private:
  std::uint32_t Section0Rva() const;
  std::uint32_t DataOffsetOf(std::uint32_t va) const;
};

// Little-endian fields for record builders through the one ByteWriter; `out` grows with zeros
// when the field lies past its end.
void PutU8(std::vector<std::uint8_t>& out, std::size_t offset, std::uint8_t value);
void PutU16(std::vector<std::uint8_t>& out, std::size_t offset, std::uint16_t value);
void PutU32(std::vector<std::uint8_t>& out, std::size_t offset, std::uint32_t value);

}  // namespace gvde::demogame
