// Pixel art for the demo game: a palette of colour ramps, item pictures and monster figures.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "demogame/sprite_encoders.h"

namespace gvde::demogame {

constexpr std::uint32_t kRampCount = 15;  // ramp 15 would reach colour 255, the transparent marker

// 256 RGB entries: 16 ramps of 16 shades, dark to bright.
std::vector<std::uint8_t> DemoPalette();

// A colour translation table that moves ramp `from` onto ramp `to`.
std::vector<std::uint8_t> RampTranslation(std::uint32_t from, std::uint32_t to);

// Item picture of kind `shape` (0..13, the item types) in colour ramp `ramp`.
SpritePicture DrawItemPicture(std::uint32_t shape, std::uint32_t ramp);

// A monster figure `width` pixels wide; `variant` changes its build, `ramp` its colour.
SpritePicture DrawMonster(std::uint32_t width, std::uint32_t variant, std::uint32_t ramp);

}  // namespace gvde::demogame
