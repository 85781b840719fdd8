// Item pictures: frames of an item graphics file written as "<prefix><number>.png".
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "image/picture_encoder.h"
#include "image/png_writer.h"

namespace gvde {

// The frames of an item graphics file that become pictures: first .. end - 1, where first is the
// frame asked for. `count` is N - first, or 0 when the file has no frame there.
struct ItemFrames {
  std::uint32_t count = 0;
  std::uint32_t first = 0;
  std::uint32_t end = 0;
};
ItemFrames ItemFramesOf(std::span<const std::uint8_t> file, std::uint32_t firstFrame);

// Frame `frame` decoded and encoded: NotDecoded when the frame does not decode.
EncodedPicture EncodeItemFrame(const PngWriter& png, std::span<const std::uint8_t> file, std::uint32_t frame);

// Writes frames firstFrame .. N-2 as prefix + (firstNumber + f - firstFrame) + ".png", passing
// over frames that do not decode and pictures that cannot be written. Returns N - firstFrame, or
// 0 when the file has no frame at or after firstFrame. The numbers of the pictures written whole
// are added to `written` when it is given.
std::uint32_t WriteItemImages(const PngWriter& png, const std::string& prefix, std::uint32_t firstFrame,
                              std::uint32_t firstNumber, std::span<const std::uint8_t> file,
                              std::vector<std::uint32_t>* written = nullptr);

}  // namespace gvde
