#include "game/record_texts.h"

#include <array>

#include "platform/num_to_str.h"

namespace gvde {

namespace {

constexpr std::uint16_t kResistanceBits = 0x3F;

constexpr std::array<Resistance, 6> kResistances = {{
    {0x01, "Magic resistant", false},
    {0x08, "Magic immune", true},
    {0x02, "Fire resistant", false},
    {0x10, "Fire immune", true},
    {0x04, "Lightning resistant", false},
    {0x20, "Lightning immune", true},
}};

constexpr std::uint32_t kAffixItemClassCount = 6;
constexpr std::uint32_t kGroupA = 1;
constexpr std::uint32_t kGroupB = 0x10;

}  // namespace

std::vector<Resistance> ResistancesOf(std::uint16_t flags) {
  std::vector<Resistance> set;
  for (const Resistance& resistance : kResistances) {
    if ((flags & resistance.flag) != 0) set.push_back(resistance);
  }
  return set;
}

bool SameResistances(std::uint16_t a, std::uint16_t b) {
  return (a & kResistanceBits) == (b & kResistanceBits);
}

bool HasReferenceMonster(std::uint32_t b, const BossRecord& boss) {
  return boss.packTrigger == 1 && b != 1 && boss.packValue != boss.baseMonster;
}

std::int32_t ReferenceMonsterNumber(std::uint32_t b, const BossRecord& boss) {
  return HasReferenceMonster(b, boss) ? boss.packValue : boss.baseMonster;
}

std::string_view ResistanceComparison(const BossRecord& boss, const MonsterRecord* reference) {
  const std::uint16_t base = reference ? reference->resistances : std::uint16_t{0};
  const std::uint16_t doom = reference ? reference->doomResistances : std::uint16_t{0};
  const bool sameAsBase = SameResistances(boss.resistances, base);
  const bool sameAsDoom = SameResistances(boss.resistances, doom);
  if (sameAsBase && sameAsDoom) return "same as base";
  if (sameAsBase) return "same as base in Horror/Purgatory difficulties";
  if (sameAsDoom) return "same as base in Doom difficulty";
  return {};
}

std::string_view AiTypeName(std::span<const std::string> names, std::uint32_t aiType) {
  return aiType < names.size() ? std::string_view(names[aiType]) : "ERROR!";
}

std::string RequirementsText(const ItemRecord& item) {
  struct Requirement {
    std::uint8_t value;
    std::string_view suffix;
  };
  const std::array<Requirement, 4> requirements = {
      {{item.reqStr, " Str"}, {item.reqMag, " Mag"}, {item.reqDex, " Dex"}, {item.reqVit, " Vit"}}};
  std::string text;
  for (const Requirement& requirement : requirements) {
    if (requirement.value == 0) continue;
    if (!text.empty()) text += ", ";
    text += NumToStr(requirement.value);
    text += requirement.suffix;
  }
  return text;
}

std::uint32_t SellingPrice(const UniqueRecord& unique) {
  return static_cast<std::uint32_t>(unique.price) >> 5;
}

std::vector<std::uint32_t> AffixItemClasses(const AffixRecord& affix) {
  std::vector<std::uint32_t> classes;
  for (std::uint32_t i = 0; i < kAffixItemClassCount; ++i) {
    if (((affix.itemClasses >> (4 * i)) & 1u) != 0) classes.push_back(i);
  }
  return classes;
}

std::string_view AffixGroupName(std::uint32_t group) {
  if (group == kGroupA) return "Group A";
  if (group == kGroupB) return "Group B";
  return {};
}

}  // namespace gvde
