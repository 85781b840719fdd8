#include "fuzz_support.h"

#include <algorithm>
#include <cstring>
#include <fstream>

#include "demogame/demo_pictures.h"
#include "testkit/temp_dir.h"

namespace gvde::fuzz {

const std::string& ScratchDir() {
  static const testkit::TempDir dir;
  return dir.path();
}

PngWriter& Writer() {
  static PngWriter png;
  static const bool ready = [] {
    const std::vector<std::uint8_t> palette = demogame::DemoPalette();
    png.SetPalette(std::span<const std::uint8_t, kPaletteBytes>(palette.data(), kPaletteBytes));
    return true;
  }();
  (void)ready;
  return png;
}

bool WriteBytes(const std::string& path, std::span<const std::uint8_t> bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

std::uint8_t InputReader::U8() { return position_ < size_ ? data_[position_++] : 0; }

std::uint16_t InputReader::U16() {
  const std::uint16_t low = U8();
  return static_cast<std::uint16_t>(low | (U8() << 8));
}

std::uint32_t InputReader::U32() {
  const std::uint32_t low = U16();
  return low | (static_cast<std::uint32_t>(U16()) << 16);
}

std::span<const std::uint8_t> InputReader::Bytes(std::size_t count) {
  const std::size_t taken = std::min(count, size_ - position_);
  const std::span<const std::uint8_t> bytes(data_ + position_, taken);
  position_ += taken;
  return bytes;
}

std::span<const std::uint8_t> InputReader::Rest() { return Bytes(size_ - position_); }

std::uint32_t WordAt(std::span<const std::uint8_t> bytes, std::size_t offset) {
  if (offset > bytes.size() || bytes.size() - offset < 4) return 0;
  return static_cast<std::uint32_t>(bytes[offset]) | static_cast<std::uint32_t>(bytes[offset + 1]) << 8 |
         static_cast<std::uint32_t>(bytes[offset + 2]) << 16 |
         static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
}

std::int32_t MemoryFiles::ExtractFile(std::vector<std::uint8_t>& buffer, const std::string& name) {
  const auto it = files.find(name);
  if (it == files.end() || it->second.empty()) return 0;
  buffer = it->second;
  return static_cast<std::int32_t>(buffer.size());
}

bool MemoryFiles::ReadFileExact(std::uint8_t* destination, std::uint32_t size, const std::string& name) {
  const auto it = files.find(name);
  if (it == files.end() || it->second.size() != size) return false;
  std::memcpy(destination, it->second.data(), size);
  return true;
}

}  // namespace gvde::fuzz
