// A bounded view over bytes to be written, the counterpart of ByteReader: little-endian fields
// as the game's files hold them, big-endian ones as PNG holds them. A field that does not lie
// wholly inside is not written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace gvde {

class ByteWriter {
 public:
  explicit ByteWriter(std::span<std::uint8_t> bytes) : bytes_(bytes) {}

  // Little-endian writes; false, writing nothing, when the field does not lie wholly inside.
  bool U16(std::uint64_t offset, std::uint16_t value) { return Write(offset, value, 2, false); }
  bool U32(std::uint64_t offset, std::uint32_t value) { return Write(offset, value, 4, false); }
  // The same, most significant byte first.
  bool U32BigEndian(std::uint64_t offset, std::uint32_t value) { return Write(offset, value, 4, true); }

 private:
  bool Write(std::uint64_t offset, std::uint32_t value, unsigned width, bool bigEndian) {
    if (offset > bytes_.size() || width > bytes_.size() - offset) return false;
    std::uint8_t* at = bytes_.data() + static_cast<std::size_t>(offset);
    for (unsigned i = 0; i < width; ++i) {
      at[bigEndian ? width - 1 - i : i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
    return true;
  }

  std::span<std::uint8_t> bytes_;
};

}  // namespace gvde
