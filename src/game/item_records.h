// The base item, unique item and spell tables of GV.exe, decoded with their texts translated.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "game/effect_entry.h"
#include "game/executable.h"

namespace gvde {

constexpr std::uint32_t kItemRecordSize = 0x4C;
constexpr std::uint32_t kItemNameOffset = 0x10;
constexpr std::uint32_t kItemEndMarkerOffset = 0x48;
constexpr std::uint32_t kItemEndMarker = 0x78787878;
constexpr std::uint32_t kUniqueRecordSize = 0x54;
constexpr std::uint32_t kUniqueNameOffset = 0x00;
constexpr std::uint32_t kUniqueEndMarkerOffset = 0x50;
constexpr std::uint32_t kUniqueEndMarker = 0x52525252;
constexpr std::uint32_t kSpellRecordSize = 0x38;
constexpr std::uint32_t kSpellNameOffset = 0x00;  // the only field read
// Spell codes 1 to 52 name a record of the spell table.
constexpr std::uint32_t kSpellCount = 52;
constexpr std::uint8_t kGoldItemType = 11;
constexpr std::int32_t kGoldPicture = 4;
constexpr std::uint32_t kUniquePictureEffect = 44;

struct ItemRecord {
  std::uint32_t dropKind = 0;
  std::uint8_t itemClass = 0;
  std::uint8_t equipLocation = 0;
  std::int32_t picture = 0;  // already 4 for gold
  std::uint8_t itemType = 0;
  std::uint8_t uniqueId = 0;
  std::string name;                      // empty when the address does not translate
  std::optional<std::string> magicName;  // absent when the address does not translate
  std::uint32_t level = 0;
  std::int32_t durability = 0;
  std::int32_t minDamage = 0;
  std::int32_t maxDamage = 0;
  std::int32_t minArmor = 0;
  std::int32_t maxArmor = 0;
  std::uint8_t reqStr = 0;
  std::uint8_t reqMag = 0;
  std::uint8_t reqDex = 0;
  std::uint8_t reqVit = 0;
  std::int32_t specialEffect = 0;
  std::int32_t magicCode = 0;
  std::int32_t spell = 0;
  std::int32_t consumed = 0;
  std::int32_t price = 0;
};

struct UniqueRecord {
  std::string name;  // empty when the address does not translate
  std::uint8_t uniqueId = 0;
  std::uint8_t level = 0;
  std::uint16_t effectCount = 0;  // as stored; users clamp to 6 (EffectsUsed)
  std::int32_t price = 0;
  std::array<EffectEntry, 6> effects{};
};

// Number of effect entries that count: effectCount, at most 6.
std::uint32_t EffectsUsed(const UniqueRecord& unique);

struct PreparedItems {
  std::vector<ItemRecord> records;
  std::uint32_t maxItemLevel = 0;
};

struct PreparedUniques {
  std::vector<UniqueRecord> records;
  std::uint32_t maxUniqueLevel = 0;
  std::uint32_t maxUniqueId = 0;
};

// `start` is the file offset of the table's first record (translated table start).
PreparedItems PrepareItemTable(const executable& exe, std::uint32_t start);
PreparedUniques PrepareUniqueTable(const executable& exe, std::uint32_t start);

// The param1 of the first code-44 entry among the used effects, else the base item's picture.
std::int32_t UniquePicture(const UniqueRecord& unique, const ItemRecord& base);

// The names of spell codes 1 to 52 (code k at k - 1) through the spell table at game address
// `spellTable`; "<NO STRING>" where an address does not translate.
using SpellNames = std::array<std::string, kSpellCount>;
SpellNames ReadSpellNames(const executable& exe, std::uint32_t spellTable);

// Constant name tables; "ERROR!" for values outside them.
std::string_view DropName(std::uint32_t dropKind);
std::string_view ItemClassName(std::uint32_t itemClass);
std::string_view EquipLocationName(std::uint32_t equipLocation);
std::string_view ItemTypeName(std::uint32_t itemType);

}  // namespace gvde
