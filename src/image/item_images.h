// Item pictures: frames of an item graphics file written as "<prefix><number>.png".
#pragma once

#include <cstdint>
#include <span>

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

}  // namespace gvde
