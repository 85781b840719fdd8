// Item graphics frames: the width is not stored, so it is worked out from the runs.
#include <algorithm>
#include <cstddef>
#include <limits>

#include "image/cel_frames_internal.h"
#include "image/sprites.h"
#include "platform/byte_reader.h"

namespace gvde {

namespace {

constexpr std::size_t kCelFrameHeader = 10;
constexpr std::uint32_t kFullLiteral = 127;
constexpr std::uint32_t kFullTransparent = 128;

// Control bytes are signed: 1..127 literal, -128..-1 transparent, 0 invalid.
bool IsLiteral(std::uint8_t b) { return b >= 0x01 && b <= 0x7F; }
bool IsTransparent(std::uint8_t b) { return b >= 0x80; }
std::uint32_t RunPixels(std::uint8_t b) { return IsTransparent(b) ? 0x100U - b : b; }

// A short run directly followed by a run of the same kind.
bool IsBreak(std::span<const std::uint8_t> runs, std::size_t position) {
  const std::uint8_t b = runs[position];
  const std::uint32_t n = RunPixels(b);
  if (IsTransparent(b))
    return n < kFullTransparent && position + 1 < runs.size() && IsTransparent(runs[position + 1]);
  const std::size_t next = position + n + 1;
  return n < kFullLiteral && next < runs.size() && IsLiteral(runs[next]);
}

std::size_t RunBytes(std::uint8_t b) { return IsTransparent(b) ? 1 : static_cast<std::size_t>(b) + 1; }

// Tries the candidates w = G div d for d = 1, 2, ... while w >= longest. Equal
// candidates are tried once and counted as often as they come up.
bool ChooseWidth(std::span<const std::uint8_t> runs, std::uint32_t segmentsGcd, std::uint32_t longest,
                 std::uint32_t& width) {
  if (longest == 0) return false;
  bool accepted = false;
  std::uint32_t d = 1;
  for (;;) {
    const std::uint32_t w = segmentsGcd / d;
    if (w < longest) break;
    const std::uint32_t lastD = segmentsGcd / w;  // the last d giving this same w
    if (CelWidthFits(runs, w)) {
      if (accepted || lastD > d) return false;  // more than one fitting candidate
      accepted = true;
      width = w;
    }
    if (lastD == std::numeric_limits<std::uint32_t>::max()) break;
    d = lastD + 1;
  }
  return accepted;
}

}  // namespace

std::uint32_t Gcd(std::uint32_t a, std::uint32_t b) {
  std::uint32_t x = std::max(a, b);
  std::uint32_t y = std::min(a, b);
  while (y != 0) {
    const std::uint32_t r = x % y;
    x = y;
    y = r;
  }
  return x;
}

bool CelWidthFits(std::span<const std::uint8_t> runs, std::uint32_t width) {
  std::uint64_t column = width;
  std::size_t position = 0;
  while (position < runs.size()) {
    if (column == width) column = 0;
    const std::uint8_t b = runs[position];
    if (b == 0) return false;
    column += RunPixels(b);
    if (column > width) return false;
    if (column < width && IsBreak(runs, position)) return false;
    position += RunBytes(b);
  }
  return true;
}

bool MeasureCelFrame(std::span<const std::uint8_t> runs, std::uint32_t& width, std::uint32_t& height) {
  if (runs.empty()) return false;
  std::size_t position = 0;
  std::uint64_t segment = 0;
  std::uint64_t total = 0;
  std::uint32_t closedGcd = 0;
  std::uint32_t longest = 0;
  do {
    const std::uint8_t b = runs[position];
    if (b == 0) return false;
    const std::uint32_t n = RunPixels(b);
    segment += n;
    if (total + segment > kMaxFramePixels) return false;
    longest = std::max(longest, n);
    if (IsBreak(runs, position)) {
      closedGcd = Gcd(closedGcd, static_cast<std::uint32_t>(segment));
      total += segment;
      segment = 0;
    }
    position += RunBytes(b);
    if (closedGcd > 0 && longest > closedGcd) return false;
  } while (position < runs.size());
  if (position > runs.size()) return false;

  total += segment;
  const std::uint32_t segmentsGcd = Gcd(closedGcd, static_cast<std::uint32_t>(segment));
  if (longest > segmentsGcd) return false;
  std::uint32_t chosen = 0;
  if (!ChooseWidth(runs, segmentsGcd, longest, chosen)) return false;
  if (total % chosen != 0) return false;  // pixels beyond width x height would have no place
  width = chosen;
  height = static_cast<std::uint32_t>(total / chosen);
  return true;
}

bool UnpackCelFrame(std::vector<std::uint8_t>& pixels, std::span<const std::uint8_t> runs,
                    std::uint32_t width, std::uint32_t height) {
  const std::uint64_t count = static_cast<std::uint64_t>(width) * height;
  // No run covers more than 128 pixels: runs this short cannot fill a larger buffer, so it
  // is not set up, nor one beyond the frame pixel cap.
  if (count == 0 || count > kMaxFramePixels || count > std::uint64_t{kFullTransparent} * runs.size()) return false;
  pixels.assign(static_cast<std::size_t>(count), 255);
  std::size_t out = 0;
  std::size_t position = 0;
  while (position < runs.size()) {
    const std::uint8_t b = runs[position];
    if (b == 0) return false;
    const std::size_t n = RunPixels(b);
    if (out + n > pixels.size()) return false;
    if (IsLiteral(b)) {
      if (position + 1 + n > runs.size()) return false;
      std::copy_n(runs.begin() + static_cast<std::ptrdiff_t>(position + 1), n,
                  pixels.begin() + static_cast<std::ptrdiff_t>(out));
    }
    out += n;  // transparent pixels are already 255
    position += RunBytes(b);
  }
  return true;
}

bool DecodeCelFrame(std::vector<std::uint8_t>& pixels, std::span<const std::uint8_t> file,
                    std::uint32_t frameIndex, std::uint32_t& width, std::uint32_t& height) {
  const ByteReader bytes(file);
  // Frame i starts at the word 4 + 4 * i and ends where frame i + 1 starts.
  const std::uint64_t entry = 4 + 4 * static_cast<std::uint64_t>(frameIndex);
  if (!bytes.Has(entry, 8)) return false;
  const std::uint32_t start = bytes.U32(entry);
  const std::uint32_t end = bytes.U32(entry + 4);
  // A frame needs run data after its header, all inside the file.
  if (static_cast<std::uint64_t>(start) + kCelFrameHeader >= end || end > file.size()) return false;
  const auto runs = file.subspan(start + kCelFrameHeader, end - start - kCelFrameHeader);
  std::uint32_t frameWidth = 0;
  std::uint32_t frameHeight = 0;
  if (!MeasureCelFrame(runs, frameWidth, frameHeight)) return false;
  if (!UnpackCelFrame(pixels, runs, frameWidth, frameHeight)) return false;
  width = frameWidth;
  height = frameHeight;
  return true;
}

}  // namespace gvde
