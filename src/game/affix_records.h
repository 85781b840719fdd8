// The affix table of GV.exe: a run of prefixes and, after its terminator, a run of suffixes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "game/effect_entry.h"
#include "game/executable.h"

namespace gvde {

constexpr std::uint32_t kAffixRecordSize = 48;
constexpr std::uint32_t kAffixNameOffset = 0x00;
constexpr std::uint32_t kAffixEndMarkerOffset = 4;
constexpr std::uint32_t kAffixEndMarker = 0xFFFFFFFF;

struct AffixRecord {
  std::string name;  // empty when it does not translate
  EffectEntry effect;  // effectCode, effectParam1, effectParam2
  std::uint32_t level = 0;
  std::uint32_t itemClasses = 0;
  std::uint32_t group = 0;
  std::uint32_t inShops = 0;
  std::int32_t minPrice = 0;
  std::int32_t maxPrice = 0;
  std::int32_t priceMultiplier = 0;
};

struct PreparedAffixes {
  std::vector<AffixRecord> prefixes;
  std::vector<AffixRecord> suffixes;
  std::uint32_t maxAffixLevel = 0;
};

// `start` is the file offset of the first prefix record.
PreparedAffixes PrepareAffixTable(const executable& exe, std::uint32_t start);

std::string_view AffixItemClassName(std::uint32_t index);  // 0..5

}  // namespace gvde
