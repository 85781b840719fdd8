// Pieces of the executable loader that only the game module and its tests use.
#pragma once

#include <cstdint>

namespace gvde {

// Offset of the COFF file header (just past "PE\0\0"), 0 when there is none.
std::uint32_t FindPEHeader(std::uint32_t size, const std::uint8_t* bytes);
// Smallest power of two not below x, counting from 1; 0 when no 32-bit power reaches x.
std::uint32_t NextPowerOfTwo(std::uint32_t x);
// x rounded up to a multiple of alignment, in 32-bit arithmetic.
std::uint32_t RoundUp(std::uint32_t x, std::uint32_t alignment);

}  // namespace gvde
