// Item pictures: frames of an item graphics file written as "<prefix><number>.png".
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "image/png_writer.h"

namespace gvde {

// Writes frames firstFrame .. N-2 as prefix + (firstNumber + f - firstFrame) + ".png".
// Returns N - firstFrame, or 0 when the file has no frame at or after firstFrame. The numbers
// of the pictures written whole are added to `written` when it is given.
std::uint32_t WriteItemImages(PngWriter& png, const std::string& prefix, std::uint32_t firstFrame,
                              std::uint32_t firstNumber, std::span<const std::uint8_t> file,
                              std::vector<std::uint32_t>* written = nullptr);

}  // namespace gvde
