// An independent PNG reader over libpng for checking the files the tool writes:
// the raw palette indices, the palette and the tRNS entries, as stored.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace gvde::testkit {

struct DecodedPng {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  int bitDepth = 0;
  int colorType = 0;
  int interlace = 0;
  std::vector<std::array<std::uint8_t, 3>> palette;
  std::vector<std::uint8_t> trns;                  // alpha per palette index, as stored
  std::vector<std::vector<std::uint8_t>> rows;     // index rows, top row first
};

// nullopt when libpng rejects the data (bad signature, checksum, zlib stream, ...).
std::optional<DecodedPng> DecodePng(const std::vector<std::uint8_t>& file);
std::optional<DecodedPng> DecodePngFile(const std::string& path);

}  // namespace gvde::testkit
