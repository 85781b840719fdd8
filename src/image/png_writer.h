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
  // Writes `pixels` (width x height palette indices, bottom row first, 255 transparent).
  // False when a buffer cannot be had, compression fails, or the file cannot be written whole.
  bool WritePng(std::uint32_t width, std::uint32_t height, const std::string& path,
                const std::vector<std::uint8_t>& pixels);

 private:
  std::array<std::uint8_t, 768> palette_{};
};

}  // namespace gvde
