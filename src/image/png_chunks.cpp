#include <zlib.h>

#include <cstring>

#include "image/png_chunks_internal.h"

namespace gvde {

namespace {

constexpr std::size_t kTypeLength = 4;

void PutBigEndian(std::uint8_t* at, std::uint32_t value) {
  at[0] = static_cast<std::uint8_t>(value >> 24);
  at[1] = static_cast<std::uint8_t>(value >> 16);
  at[2] = static_cast<std::uint8_t>(value >> 8);
  at[3] = static_cast<std::uint8_t>(value);
}

}  // namespace

std::uint32_t Crc32(const std::uint8_t* bytes, std::size_t count) {
  return static_cast<std::uint32_t>(crc32_z(crc32_z(0L, Z_NULL, 0), bytes, count));
}

void FrameChunk(std::uint8_t* chunk, const char (&type)[5], std::uint32_t length) {
  PutBigEndian(chunk, length);
  std::memcpy(chunk + 4, type, kTypeLength);
  // The CRC covers the type and the data, which lie side by side.
  PutBigEndian(chunk + kChunkDataOffset + length, Crc32(chunk + 4, kTypeLength + std::size_t{length}));
}

std::uint8_t* PutChunk(std::uint8_t* at, const char (&type)[5], std::span<const std::uint8_t> data) {
  if (!data.empty()) std::memcpy(at + kChunkDataOffset, data.data(), data.size());
  const auto length = static_cast<std::uint32_t>(data.size());
  FrameChunk(at, type, length);
  return at + kChunkOverhead + data.size();
}

}  // namespace gvde
