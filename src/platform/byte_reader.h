// A bounded, read-only view over bytes with little-endian reads at offsets. Every decoder of
// game data reads through it, so no read can leave the bytes it was given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace gvde {

class ByteReader {
 public:
  // No bytes at all: Valid() is false.
  ByteReader() = default;
  ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(data != nullptr ? size : 0) {}
  explicit ByteReader(std::span<const std::uint8_t> bytes) : ByteReader(bytes.data(), bytes.size()) {}

  // False for a default reader and for a sub-view that did not lie wholly inside.
  bool Valid() const { return data_ != nullptr; }
  std::size_t Size() const { return size_; }

  // True when the `width` bytes at `offset` lie wholly inside.
  bool Has(std::uint64_t offset, std::uint64_t width) const {
    return data_ != nullptr && offset <= size_ && width <= size_ - offset;
  }

  // Little-endian reads; a field that does not lie wholly inside reads as 0.
  std::uint8_t U8(std::uint64_t offset) const {
    return Has(offset, 1) ? data_[static_cast<std::size_t>(offset)] : 0;
  }
  std::uint16_t U16(std::uint64_t offset) const { return static_cast<std::uint16_t>(Read(offset, 2)); }
  std::uint32_t U32(std::uint64_t offset) const { return static_cast<std::uint32_t>(Read(offset, 4)); }
  std::uint64_t U64(std::uint64_t offset) const { return Read(offset, 8); }
  std::int32_t I32(std::uint64_t offset) const { return static_cast<std::int32_t>(U32(offset)); }

  // The `size` bytes at `offset`; an invalid reader unless they lie wholly inside.
  ByteReader Sub(std::uint64_t offset, std::uint64_t size) const {
    if (!Has(offset, size)) return {};
    return {data_ + static_cast<std::size_t>(offset), static_cast<std::size_t>(size)};
  }

 private:
  std::uint64_t Read(std::uint64_t offset, unsigned width) const {
    if (!Has(offset, width)) return 0;
    const std::uint8_t* at = data_ + static_cast<std::size_t>(offset);
    std::uint64_t value = 0;
    for (unsigned i = width; i-- > 0;) value = (value << 8) | at[i];
    return value;
  }

  const std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace gvde
