// PNG chunks as the image module writes them: a big-endian data length, the four-letter type,
// the data, and the CRC-32 of type and data. Used by the PNG writer and its tests only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace gvde {

// Bytes a chunk adds around its data: length and type in front, CRC behind.
constexpr std::size_t kChunkOverhead = 12;
// Where a chunk's data starts, from the start of the chunk.
constexpr std::size_t kChunkDataOffset = 8;

// The CRC-32 that PNG chunks carry (reflected polynomial 0xEDB88320), by zlib's crc32.
std::uint32_t Crc32(const std::uint8_t* bytes, std::size_t count);

// In both writers `type` is the four letters of the chunk type, such as "IDAT".

// Completes a chunk whose `length` data bytes already lie at chunk + kChunkDataOffset: writes
// the length and the type in front and the CRC behind them.
void FrameChunk(std::uint8_t* chunk, const char (&type)[5], std::uint32_t length);

// Writes a whole chunk holding a copy of `data` at `at`; returns the byte just after it.
std::uint8_t* PutChunk(std::uint8_t* at, const char (&type)[5], std::span<const std::uint8_t> data);

}  // namespace gvde
