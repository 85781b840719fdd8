// Writes 8-bit indexed PNG files in the dungeon palette, index 0 transparent.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace gvde {

// Each picture is assembled from chunks: signature, IHDR, PLTE, tRNS, one IDAT and IEND.
class PngWriter {
 public:
  PngWriter() = default;  // InitPngWriter: the palette is all zeros until loaded

  // The 768 palette bytes (red, green, blue per entry); the run reads the game palette here.
  std::uint8_t* PngPalette();
  // Reverses the order of the palette entries; once per loaded palette.
  void PreparePalette();
  // The whole PNG file of `pixels` (width x height palette indices, bottom row first, 255
  // transparent) in `file`. False when a buffer cannot be had or compression fails. Safe on
  // several threads at once once the palette is prepared.
  bool EncodePng(std::uint32_t width, std::uint32_t height, const std::vector<std::uint8_t>& pixels,
                 std::vector<std::uint8_t>& file) const;
  // EncodePng, then the file at `path`. False when the picture cannot be made or the file
  // cannot be written whole.
  bool WritePng(std::uint32_t width, std::uint32_t height, const std::string& path,
                const std::vector<std::uint8_t>& pixels) const;

 private:
  std::array<std::uint8_t, 768> palette_{};
};

}  // namespace gvde
