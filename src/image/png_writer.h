// Writes 8-bit indexed PNG files in the dungeon palette, index 0 transparent.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace gvde {

// The size of a game palette: red, green and blue for each of 256 entries.
constexpr std::size_t kPaletteBytes = 768;

// Each picture is assembled from chunks: signature, IHDR, PLTE, tRNS, one IDAT and IEND.
class PngWriter {
 public:
  PngWriter() = default;  // InitPngWriter: the palette is all zeros until set

  // Takes the game palette, its entries in reverse order as the pictures' indices are.
  void SetPalette(std::span<const std::uint8_t, kPaletteBytes> gamePalette);
  // The whole PNG file of `pixels` (width x height palette indices, bottom row first, 255
  // transparent) in `file`. False when the size cannot be encoded or compression fails; throws
  // std::bad_alloc when memory cannot be had. Safe on several threads at once once the palette
  // is set.
  bool EncodePng(std::uint32_t width, std::uint32_t height, const std::vector<std::uint8_t>& pixels,
                 std::vector<std::uint8_t>& file) const;

 private:
  std::array<std::uint8_t, kPaletteBytes> palette_{};
};

}  // namespace gvde
