// A bounded, read-only window on one record of the loaded game image.
#pragma once

#include <cstdint>

namespace gvde {

class RecordView {
 public:
  RecordView() = default;
  RecordView(const std::uint8_t* data, std::uint32_t size) : data_(data), size_(size) {}

  bool Valid() const { return data_ != nullptr; }
  std::uint32_t Size() const { return size_; }

  // Little-endian reads; a field that does not lie wholly inside the record reads as 0.
  std::uint8_t U8(std::uint32_t offset) const { return Fits(offset, 1) ? data_[offset] : 0; }
  std::uint16_t U16(std::uint32_t offset) const {
    if (!Fits(offset, 2)) return 0;
    return static_cast<std::uint16_t>(data_[offset] | (data_[offset + 1] << 8));
  }
  std::uint32_t U32(std::uint32_t offset) const {
    if (!Fits(offset, 4)) return 0;
    return static_cast<std::uint32_t>(data_[offset]) | (static_cast<std::uint32_t>(data_[offset + 1]) << 8) |
           (static_cast<std::uint32_t>(data_[offset + 2]) << 16) |
           (static_cast<std::uint32_t>(data_[offset + 3]) << 24);
  }
  std::int32_t I32(std::uint32_t offset) const { return static_cast<std::int32_t>(U32(offset)); }

 private:
  bool Fits(std::uint32_t offset, std::uint32_t width) const {
    return data_ != nullptr && offset <= size_ && width <= size_ - offset;
  }

  const std::uint8_t* data_ = nullptr;
  std::uint32_t size_ = 0;
};

}  // namespace gvde
