// Writes 8-bit indexed PNG files in the dungeon palette, index 0 transparent.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace gvde {

std::uint32_t Crc32(const std::uint8_t* bytes, std::size_t count);

class PngWriter {
 public:
  PngWriter();  // InitPngWriter

  // The 768 palette bytes inside the fixed header block; the run reads the game palette here.
  std::uint8_t* PngPalette();
  // Reverses the palette entries and computes the PLTE checksum; once per loaded palette.
  void PreparePalette();
  // Writes `pixels` (width x height palette indices, bottom row first, 255 transparent).
  // False when a buffer cannot be had, compression fails, or the file cannot be written whole.
  bool WritePng(std::uint32_t width, std::uint32_t height, const std::string& path,
                const std::vector<std::uint8_t>& pixels);

 private:
  std::array<std::uint8_t, 830> PngHeader{};
  std::array<std::uint8_t, 16> PngTrailer{};
};

}  // namespace gvde
