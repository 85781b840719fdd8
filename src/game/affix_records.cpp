#include "game/affix_records.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

namespace gvde {

namespace {

constexpr std::array<std::string_view, 6> kAffixItemClassNames = {"Jewelry", "Bow",    "Staff",
                                                                  "Weapon",  "Shield", "Armor"};

// AffixRecord, 48 bytes; its effect entry lies at 0x04.
namespace affix_field {
constexpr std::uint32_t kName = kAffixNameOffset;
constexpr std::uint32_t kEffect = 0x04;
constexpr std::uint32_t kLevel = 0x10;
constexpr std::uint32_t kItemClasses = 0x14;
constexpr std::uint32_t kGroup = 0x18;
constexpr std::uint32_t kInShops = 0x20;
constexpr std::uint32_t kMinPrice = 0x24;
constexpr std::uint32_t kMaxPrice = 0x28;
constexpr std::uint32_t kPriceMultiplier = 0x2C;
}  // namespace affix_field

AffixRecord DecodeAffix(const executable& exe, const RecordView& view) {
  namespace f = affix_field;
  AffixRecord a;
  a.name = exe.TranslateString(view.U32(f::kName)).value_or(std::string());
  a.effect = DecodeEffectEntry(view, f::kEffect);
  a.level = view.U32(f::kLevel);
  a.itemClasses = view.U32(f::kItemClasses);
  a.group = view.U32(f::kGroup);
  a.inShops = view.U32(f::kInShops);
  a.minPrice = view.I32(f::kMinPrice);
  a.maxPrice = view.I32(f::kMaxPrice);
  a.priceMultiplier = view.I32(f::kPriceMultiplier);
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
  const std::optional<std::uint32_t> prefixEnd = ReadRun(exe, start, out.prefixes, out.maxAffixLevel);
  // Without a terminator the prefix run ended at the end of the file: no suffixes follow.
  if (prefixEnd && *prefixEnd <= UINT32_MAX - kAffixRecordSize) {
    ReadRun(exe, *prefixEnd + kAffixRecordSize, out.suffixes, out.maxAffixLevel);
  }
  return out;
}

std::string_view AffixItemClassName(std::uint32_t index) {
  return index < kAffixItemClassNames.size() ? kAffixItemClassNames[index] : std::string_view("ERROR!");
}

}  // namespace gvde
