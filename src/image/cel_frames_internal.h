// The steps of item frame decoding; only DecodeCelFrame and the tests use them.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace gvde {

// Works out a frame's width (not stored in the file) and height from its runs; false when no
// width, or more than one, fits them.
bool MeasureCelFrame(std::span<const std::uint8_t> runs, std::uint32_t& width, std::uint32_t& height);
// True when the runs can be laid out in rows of `width` pixels.
bool CelWidthFits(std::span<const std::uint8_t> runs, std::uint32_t width);
// Sets up `pixels` as width x height and fills it from the runs.
bool UnpackCelFrame(std::vector<std::uint8_t>& pixels, std::span<const std::uint8_t> runs,
                    std::uint32_t width, std::uint32_t height);
// Greatest common divisor; the gcd of 0 and x is x.
std::uint32_t Gcd(std::uint32_t a, std::uint32_t b);

}  // namespace gvde
