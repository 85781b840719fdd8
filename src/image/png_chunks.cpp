#include <zlib.h>

#include <cstring>

#include "image/png_chunks_internal.h"
#include "platform/byte_writer.h"

namespace gvde {

namespace {

constexpr std::size_t kTypeLength = 4;

}  // namespace

std::uint32_t Crc32(const std::uint8_t* bytes, std::size_t count) {
  return static_cast<std::uint32_t>(crc32_z(crc32_z(0L, Z_NULL, 0), bytes, count));
}

void FrameChunk(std::uint8_t* chunk, const char (&type)[5], std::uint32_t length) {
  ByteWriter whole(std::span(chunk, kChunkOverhead + std::size_t{length}));
  whole.U32BigEndian(0, length);
  std::memcpy(chunk + 4, type, kTypeLength);
  // The CRC covers the type and the data, which lie side by side.
  whole.U32BigEndian(kChunkDataOffset + length, Crc32(chunk + 4, kTypeLength + std::size_t{length}));
}

std::uint8_t* PutChunk(std::uint8_t* at, const char (&type)[5], std::span<const std::uint8_t> data) {
  if (!data.empty()) std::memcpy(at + kChunkDataOffset, data.data(), data.size());
  const auto length = static_cast<std::uint32_t>(data.size());
  FrameChunk(at, type, length);
  return at + kChunkOverhead + data.size();
}

}  // namespace gvde
