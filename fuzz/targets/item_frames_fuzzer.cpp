// Item graphics decoding: the input as a whole item graphics file (frames picked by index,
// including indexes beyond the frame count) and as the run data of a single frame.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "demogame/demo_pictures.h"
#include "fuzz_support.h"
#include "image/cel_frames_internal.h"
#include "image/item_images.h"
#include "image/sprites.h"
#include "testkit/png_decode.h"

namespace {

using gvde::fuzz::WordAt;

void Require(bool condition) {
  if (!condition) std::abort();
}

void DecodeFrames(std::span<const std::uint8_t> file) {
  const std::uint32_t count = WordAt(file, 0);
  std::vector<std::uint32_t> indexes = {count - 2,  count - 1,  count,      count + 1,  0x3FFFFFFE,
                                        0x3FFFFFFF, 0x40000000, 0x7FFFFFFF, 0xFFFFFFFE, 0xFFFFFFFF};
  for (std::uint32_t f = 0; f < 8 && f < count; ++f) indexes.push_back(f);
  for (const std::uint32_t frame : indexes) {
    std::vector<std::uint8_t> pixels;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    if (!gvde::DecodeCelFrame(pixels, file, frame, width, height)) continue;
    Require(width > 0 && height > 0 && pixels.size() == std::uint64_t{width} * height);
  }
}

void DecodeRuns(std::span<const std::uint8_t> runs) {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint8_t> pixels;
  if (gvde::MeasureCelFrame(runs, width, height)) {
    // A measured frame fits its width and unpacks whole.
    Require(width > 0 && height > 0 && gvde::CelWidthFits(runs, width));
    Require(gvde::UnpackCelFrame(pixels, runs, width, height));
  }
  const std::uint32_t first = runs.empty() ? 0 : runs[0];
  for (const std::uint32_t w : {0u, 1u, 2u, 28u, 56u, first, 0x7FFFFFFFu, 0xFFFFFFFFu})
    (void)gvde::CelWidthFits(runs, w);
  const std::uint32_t w = (runs.size() > 0 ? runs[0] : 0) + 1u;
  const std::uint32_t h = (runs.size() > 1 ? runs[1] : 0) + 1u;
  if (gvde::UnpackCelFrame(pixels, runs, w, h)) Require(pixels.size() == std::uint64_t{w} * h);
  (void)gvde::UnpackCelFrame(pixels, runs, 0, h);
  (void)gvde::Gcd(WordAt(runs, 0), WordAt(runs, 4));
}

// The frames the run makes pictures of, as the run makes them.
void EncodeFrames(std::span<const std::uint8_t> file) {
  const gvde::ItemFrames frames = gvde::ItemFramesOf(file, 0);
  Require(frames.count == WordAt(file, 0) && frames.first <= frames.end);
  for (std::uint32_t frame = frames.first; frame < frames.end; ++frame) {
    const gvde::EncodedPicture picture = gvde::EncodeItemFrame(gvde::fuzz::Writer(), file, frame);
    if (picture.outcome != gvde::EncodedPicture::Outcome::Encoded) continue;
    Require(gvde::testkit::DecodePng(picture.file).has_value());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> input(data, size);
  DecodeFrames(input);
  DecodeRuns(input);
  EncodeFrames(input);
  return 0;
}
