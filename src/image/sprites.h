// Decoding of run-length encoded sprite frames: monster animation files (width from the
// monster table) and item graphics files (width worked out from the runs).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "image/file_source.h"
#include "image/png_writer.h"

namespace gvde {

// Frame 0 of the first group of the animation file named by `spriteName` (every "%c"
// replaced by "a"), recoloured through T2[T1[c]], written as a PNG at `pngPath`.
bool WriteMonsterImage(FileSource& files, PngWriter& png, const std::string& spriteName,
                       const std::optional<std::string>& ownTable,
                       const std::optional<std::string>& bossTable, std::uint32_t frameWidth,
                       const std::string& pngPath);

// Decodes frame `frameIndex` of a whole item graphics file.
bool DecodeCelFrame(std::vector<std::uint8_t>& pixels, std::span<const std::uint8_t> file,
                    std::uint32_t frameIndex, std::uint32_t& width, std::uint32_t& height);

}  // namespace gvde
