// The one number-to-text conversion of the site: signed decimal, no grouping.
#pragma once

#include <cstdint>
#include <string>

namespace gvde {

inline std::string NumToStr(std::int32_t value) { return std::to_string(value); }

// Unsigned fields are printed through the same signed conversion.
inline std::string NumToStr(std::uint32_t value) { return NumToStr(static_cast<std::int32_t>(value)); }
inline std::string NumToStr(std::uint16_t value) { return NumToStr(static_cast<std::int32_t>(value)); }
inline std::string NumToStr(std::uint8_t value) { return NumToStr(static_cast<std::int32_t>(value)); }

}  // namespace gvde
