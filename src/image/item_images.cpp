#include "image/item_images.h"

#include <algorithm>
#include <string>
#include <vector>

#include "image/sprites.h"
#include "platform/byte_reader.h"

namespace gvde {

ItemFrames ItemFramesOf(std::span<const std::uint8_t> file, std::uint32_t firstFrame) {
  const ByteReader bytes(file);
  if (!bytes.Has(0, 4)) return {};  // too short to hold a frame count: no frames
  const std::uint32_t frameCount = bytes.U32(0);
  if (firstFrame >= frameCount) return {};
  // The last frame is never written. Frames whose offset entries lie beyond the file cannot
  // decode, so the frames end there instead of counting up to a huge N: frame f needs its
  // entries at 4 + 4f and 8 + 4f.
  const std::uint64_t entriesEnd = file.size() < 12 ? 0 : (file.size() - 12) / 4 + 1;
  const std::uint64_t end =
      std::max<std::uint64_t>(firstFrame, std::min<std::uint64_t>(frameCount - 1, entriesEnd));
  return {frameCount - firstFrame, firstFrame, static_cast<std::uint32_t>(end)};
}

EncodedPicture EncodeItemFrame(const PngWriter& png, std::span<const std::uint8_t> file,
                               std::uint32_t frame) {
  EncodedPicture picture;
  thread_local std::vector<std::uint8_t> pixels;  // kept by the thread for its next picture
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  if (DecodeCelFrame(pixels, file, frame, width, height)) {
    if (png.EncodePng(width, height, pixels, picture.file)) {
      picture.outcome = EncodedPicture::Outcome::Encoded;
    } else {
      picture.outcome = EncodedPicture::Outcome::NotEncoded;
      picture.detail = "frame " + std::to_string(frame) + " (" + std::to_string(width) + " x " +
                       std::to_string(height) + " pixels) cannot be made into a PNG file";
    }
  }
  if (pixels.capacity() > kLargestKeptPixels) pixels = {};
  return picture;
}

}  // namespace gvde
