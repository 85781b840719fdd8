#include "image/item_images.h"

#include <vector>

#include "image/sprites.h"
#include "platform/byte_reader.h"
#include "platform/num_to_str.h"

namespace gvde {

std::uint32_t WriteItemImages(PngWriter& png, const std::string& prefix, std::uint32_t firstFrame,
                              std::uint32_t firstNumber, std::span<const std::uint8_t> file) {
  const ByteReader bytes(file);
  if (!bytes.Has(0, 4)) return 0;  // too short to hold a frame count: no frames
  const std::uint32_t frameCount = bytes.U32(0);
  if (firstFrame >= frameCount) return 0;
  // The last frame is never written. Frames whose offset entries lie beyond the file
  // cannot decode, so the walk ends there instead of counting up to a huge N.
  for (std::uint64_t f = firstFrame; f + 2 <= frameCount && 12 + 4 * f <= file.size(); ++f) {
    const auto frame = static_cast<std::uint32_t>(f);
    std::vector<std::uint8_t> pixels;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    if (!DecodeCelFrame(pixels, file, frame, width, height)) continue;
    const std::uint32_t number = firstNumber + (frame - firstFrame);
    png.WritePng(width, height, prefix + NumToStr(number) + ".png", pixels);
  }
  return frameCount - firstFrame;
}

}  // namespace gvde
