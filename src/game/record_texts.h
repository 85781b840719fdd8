// Texts and derived values that record pages show, kept here so that every writer of a record
// (the pages, the data document) shows the same words.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "game/affix_records.h"
#include "game/item_records.h"
#include "game/monster_records.h"

namespace gvde {

// One resistance flag as pages list it.
struct Resistance {
  std::uint16_t flag;
  std::string_view name;  // "Magic resistant"
  bool immune;            // an immunity rather than a resistance
};

// The flags set in `flags`, in the order pages list them (magic, fire, lightning; each
// resistance before its immunity). Only the low 6 bits count.
std::vector<Resistance> ResistancesOf(std::uint16_t flags);

// True when the two flag words agree in their low 6 bits.
bool SameResistances(std::uint16_t a, std::uint16_t b);

// Whether boss number `b` is drawn like, and compared with, the monster its pack value names
// rather than its base monster: pack trigger 1, not boss 1, and a pack value other than the base.
bool HasReferenceMonster(std::uint32_t b, const BossRecord& boss);

// The number of the monster boss `b` takes its looks and resistances from.
std::int32_t ReferenceMonsterNumber(std::uint32_t b, const BossRecord& boss);

// How a boss's resistances compare with its reference monster's: "same as base", "same as base
// in Horror/Purgatory difficulties", "same as base in Doom difficulty", or empty. A reference
// outside the monster table (nullptr) has no resistances.
std::string_view ResistanceComparison(const BossRecord& boss, const MonsterRecord* reference);

// The name of AI type `aiType` from AITypes.ini, or "ERROR!" past the end of the list.
std::string_view AiTypeName(std::span<const std::string> names, std::uint32_t aiType);

// The item's non-zero requirements, "10 Str, 20 Dex"; empty when it has none.
std::string RequirementsText(const ItemRecord& item);

// The price a unique item sells for: its price div 32, taken as unsigned.
std::uint32_t SellingPrice(const UniqueRecord& unique);

// The item class indexes (into AffixItemClassName) an affix may appear on, ascending.
std::vector<std::uint32_t> AffixItemClasses(const AffixRecord& affix);

// "Group A", "Group B", or empty for any other group value.
std::string_view AffixGroupName(std::uint32_t group);

}  // namespace gvde
