#include "demogame/pe_builder.h"

#include <algorithm>
#include <cstring>

#include "platform/byte_writer.h"

namespace gvde::demogame {
namespace {

constexpr std::uint32_t kUninitialisedData = 0x80;

std::uint32_t AlignUp(std::uint32_t x, std::uint32_t alignment) {
  if (alignment == 0) return x;
  const std::uint64_t rounded = (static_cast<std::uint64_t>(x) + alignment - 1) / alignment * alignment;
  return static_cast<std::uint32_t>(rounded);
}

std::uint32_t RawSizeOf(const PeSection& section, std::uint32_t fileAlignment) {
  if (!section.data.empty()) return AlignUp(static_cast<std::uint32_t>(section.data.size()), fileAlignment);
  if ((section.characteristics & kUninitialisedData) != 0) return 0;
  return fileAlignment;
}

}  // namespace

PeBuilder::PeBuilder() {
  PeSection data;
  data.virtualAddress = 0x1000;
  sections.push_back(std::move(data));
}

std::uint32_t PeBuilder::SectionHeaderOffset(std::size_t index) const {
  return CoffHeaderOffset() + 116 + 8 * numberOfRvaAndSizes + 40 * static_cast<std::uint32_t>(index);
}

std::uint32_t PeBuilder::HeaderEnd() const { return SectionHeaderOffset(sections.size()); }

std::uint32_t PeBuilder::SizeOfHeaders() const { return AlignUp(HeaderEnd(), fileAlignment); }

std::vector<PeSectionLayout> PeBuilder::Layout() const {
  std::vector<PeSectionLayout> layout;
  std::uint32_t fileOffset = SizeOfHeaders();
  std::uint32_t nextRva = AlignUp(SizeOfHeaders(), sectionAlignment);
  for (const PeSection& section : sections) {
    PeSectionLayout placed;
    placed.sizeOfRawData = RawSizeOf(section, fileAlignment);
    placed.pointerToRawData = placed.sizeOfRawData != 0 ? fileOffset : 0;
    fileOffset += placed.sizeOfRawData;
    placed.virtualSize =
        section.virtualSize != 0 ? section.virtualSize : static_cast<std::uint32_t>(section.data.size());
    placed.virtualAddress = section.virtualAddress != 0 ? section.virtualAddress : nextRva;
    const std::uint32_t extent = std::max({placed.virtualSize, placed.sizeOfRawData, std::uint32_t{1}});
    nextRva = AlignUp(placed.virtualAddress + extent, sectionAlignment);
    layout.push_back(placed);
  }
  return layout;
}

std::uint32_t PeBuilder::Section0Rva() const {
  if (sections.empty() || sections[0].virtualAddress != 0) {
    return sections.empty() ? 0 : sections[0].virtualAddress;
  }
  return AlignUp(SizeOfHeaders(), sectionAlignment);
}

std::uint32_t PeBuilder::NextVA() const {
  const std::size_t used = sections.empty() ? 0 : sections[0].data.size();
  return imageBase + Section0Rva() + static_cast<std::uint32_t>(used);
}

std::uint32_t PeBuilder::AddData(std::span<const std::uint8_t> bytes) {
  if (sections.empty()) sections.emplace_back();
  const std::uint32_t va = NextVA();
  sections[0].data.insert(sections[0].data.end(), bytes.begin(), bytes.end());
  return va;
}

std::uint32_t PeBuilder::AddString(std::string_view text) {
  if (sections.empty()) sections.emplace_back();
  const std::uint32_t va = NextVA();
  std::vector<std::uint8_t>& data = sections[0].data;
  data.insert(data.end(), text.begin(), text.end());
  data.push_back(0);
  return va;
}

std::uint32_t PeBuilder::AddZeros(std::uint32_t count) {
  if (sections.empty()) sections.emplace_back();
  const std::uint32_t va = NextVA();
  sections[0].data.resize(sections[0].data.size() + count, 0);
  return va;
}

std::uint32_t PeBuilder::DataOffsetOf(std::uint32_t va) const { return va - imageBase - Section0Rva(); }

void PeBuilder::PatchU32(std::uint32_t va, std::uint32_t value) {
  if (sections.empty()) sections.emplace_back();
  PutU32(sections[0].data, DataOffsetOf(va), value);
}

std::uint32_t PeBuilder::FileOffsetOf(std::uint32_t va) const {
  return Layout().at(0).pointerToRawData + DataOffsetOf(va);
}

std::vector<std::uint8_t> PeBuilder::Build() const {
  const std::vector<PeSectionLayout> layout = Layout();
  std::uint32_t fileEnd = std::max(SizeOfHeaders(), HeaderEnd());
  for (const PeSectionLayout& placed : layout) {
    fileEnd = std::max(fileEnd, placed.pointerToRawData + placed.sizeOfRawData);
  }
  std::uint32_t imageEnd = AlignUp(SizeOfHeaders(), sectionAlignment);
  for (std::size_t i = 0; i < layout.size(); ++i) {
    const std::uint32_t extent = std::max(layout[i].virtualSize, layout[i].sizeOfRawData);
    imageEnd = std::max(imageEnd, AlignUp(layout[i].virtualAddress + extent, sectionAlignment));
  }

  std::vector<std::uint8_t> out(fileEnd, 0);
  PutU16(out, 0, 0x5A4D);  // "MZ"
  PutU32(out, 0x3C, peHeaderOffset);
  PutU32(out, peHeaderOffset, 0x4550);  // "PE\0\0"

  const std::size_t coff = CoffHeaderOffset();
  PutU16(out, coff + 0, machine);
  PutU16(out, coff + 2, numberOfSectionsOverride.value_or(static_cast<std::uint16_t>(sections.size())));
  PutU16(out, coff + 16,
         sizeOfOptionalHeaderOverride.value_or(static_cast<std::uint16_t>(96 + 8 * numberOfRvaAndSizes)));
  PutU16(out, coff + 18, characteristics);

  PutU16(out, coff + 20, magic);
  PutU32(out, coff + 36,
         layout.empty() ? 0 : layout[0].virtualAddress);  // entry point
  PutU32(out, coff + 48, imageBase);
  PutU32(out, coff + 52, sectionAlignment);
  PutU32(out, coff + 56, fileAlignment);
  PutU16(out, coff + 60, 4);  // operating system version
  PutU16(out, coff + 68, 4);  // subsystem version
  PutU32(out, coff + 76, imageEnd);
  PutU32(out, coff + 80, sizeOfHeadersOverride.value_or(SizeOfHeaders()));
  PutU16(out, coff + 88, 2);  // GUI subsystem
  PutU32(out, coff + 92, 0x100000);
  PutU32(out, coff + 96, 0x1000);
  PutU32(out, coff + 100, 0x100000);
  PutU32(out, coff + 104, 0x1000);
  PutU32(out, coff + 112, numberOfRvaAndSizes);

  for (std::size_t i = 0; i < sections.size(); ++i) {
    const std::size_t header = SectionHeaderOffset(i);
    const PeSection& section = sections[i];
    const std::size_t nameLength = std::min<std::size_t>(section.name.size(), 8);
    std::memcpy(out.data() + header, section.name.data(), nameLength);
    PutU32(out, header + 8, layout[i].virtualSize);
    PutU32(out, header + 12, layout[i].virtualAddress);
    PutU32(out, header + 16, layout[i].sizeOfRawData);
    PutU32(out, header + 20, layout[i].pointerToRawData);
    PutU32(out, header + 36, section.characteristics);
    std::copy(section.data.begin(), section.data.end(),
              out.begin() + static_cast<std::ptrdiff_t>(layout[i].pointerToRawData));
  }
  return out;
}

namespace {

ByteWriter Grown(std::vector<std::uint8_t>& out, std::size_t end) {
  if (out.size() < end) out.resize(end, 0);
  return ByteWriter(out);
}

}  // namespace

void PutU8(std::vector<std::uint8_t>& out, std::size_t offset, std::uint8_t value) {
  Grown(out, offset + 1);
  out[offset] = value;
}

void PutU16(std::vector<std::uint8_t>& out, std::size_t offset, std::uint16_t value) {
  Grown(out, offset + 2).U16(offset, value);
}

void PutU32(std::vector<std::uint8_t>& out, std::size_t offset, std::uint32_t value) {
  Grown(out, offset + 4).U32(offset, value);
}

}  // namespace gvde::demogame
