// Item pictures: frames of an item graphics file written as "<prefix><number>.png".
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "image/png_writer.h"

namespace gvde {

// Writes frames firstFrame .. N-2 as prefix + (firstNumber + f - firstFrame) + ".png".
// Returns N - firstFrame, or 0 when the file has no frame at or after firstFrame.
std::uint32_t WriteItemImages(PngWriter& png, const std::string& prefix, std::uint32_t firstFrame,
                              std::uint32_t firstNumber, std::span<const std::uint8_t> file);

}  // namespace gvde
