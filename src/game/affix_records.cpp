#include "game/affix_records.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

namespace gvde {

namespace {

constexpr std::array<std::string_view, 6> kAffixItemClassNames = {"Jewelry", "Bow",    "Staff",
                                                                  "Weapon",  "Shield", "Armor"};

AffixRecord DecodeAffix(const executable& exe, const RecordView& view) {
  AffixRecord a;
  a.name = exe.TranslateString(view.U32(0x00)).value_or(std::string());
  a.effect.code = view.U32(0x04);
  a.effect.param1 = view.I32(0x08);
  a.effect.param2 = view.I32(0x0C);
  a.level = view.U32(0x10);
  a.itemClasses = view.U32(0x14);
  a.group = view.U32(0x18);
  a.inShops = view.U32(0x20);
  a.minPrice = view.I32(0x24);
  a.maxPrice = view.I32(0x28);
  a.priceMultiplier = view.I32(0x2C);
  return a;
}

// Decodes one run; returns where its terminator record lies, if it has one.
std::optional<std::uint32_t> ReadRun(const executable& exe, std::uint32_t start,
                                     std::vector<AffixRecord>& out, std::uint32_t& maxLevel) {
  const TableWalk walk = WalkTable(exe, start, kAffixRecordSize, kAffixEndMarkerOffset, kAffixEndMarker);
  out.reserve(walk.records.size());
  for (const RecordView& view : walk.records) {
    AffixRecord a = DecodeAffix(exe, view);
    maxLevel = std::max(maxLevel, a.level);
    out.push_back(std::move(a));
  }
  return walk.terminatorOffset;
}

}  // namespace

PreparedAffixes PrepareAffixTable(const executable& exe, std::uint32_t start) {
  PreparedAffixes out;
  const std::optional<std::uint32_t> prefixEnd = ReadRun(exe, start, out.prefixes, out.MaxAffixLevel);
  // Without a terminator the prefix run ended at the end of the file: no suffixes follow.
  if (prefixEnd && *prefixEnd <= UINT32_MAX - kAffixRecordSize) {
    ReadRun(exe, *prefixEnd + kAffixRecordSize, out.suffixes, out.MaxAffixLevel);
  }
  return out;
}

std::string_view AffixItemClassName(std::uint32_t index) {
  return index < kAffixItemClassNames.size() ? kAffixItemClassNames[index] : std::string_view("ERROR!");
}

}  // namespace gvde
