// Pieces of the executable loader that only the game module and its tests use.
#pragma once

#include <cstdint>
#include <vector>

namespace gvde {

// Offset of the COFF file header (just past "PE\0\0"), 0 when there is none.
std::uint32_t FindPEHeader(std::uint32_t size, const std::uint8_t* bytes);
// Smallest power of two not below x, counting from 1; 0 when no 32-bit power reaches x.
std::uint32_t NextPowerOfTwo(std::uint32_t x);
// x rounded up to a multiple of alignment, in 32-bit arithmetic.
std::uint32_t RoundUp(std::uint32_t x, std::uint32_t alignment);

// A range [start, end) of section addresses or file offsets as the loader compares them. An
// end at or below the start (a size of 0, or an end that wrapped round) is kept as it is.
struct SectionRange {
  std::int64_t start = 0;
  std::int64_t end = 0;
};

// True when two of the ranges overlap, that is a.start < b.end and b.start < a.end, the test
// the loader applies to every pair of sections. Sorts instead of comparing all pairs.
bool AnyTwoOverlap(std::vector<SectionRange> ranges);

}  // namespace gvde
