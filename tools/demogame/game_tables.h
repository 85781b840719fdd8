// Encoders for the base item, unique item and spell tables as GV.exe holds them: records in
// little-endian bytes whose texts are strings added to a PeBuilder and named by their VAs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "demogame/pe_builder.h"
#include "game/effect_entry.h"

namespace gvde::demogame {

// A text field's address that no section covers.
constexpr std::uint32_t kUntranslatableVa = 0;

// One 76-byte item record; an absent text is stored as kUntranslatableVa.
struct ItemSpec {
  std::uint32_t dropKind = 1;
  std::uint8_t itemClass = 1;
  std::uint8_t equipLocation = 1;
  std::int32_t picture = 0;
  std::uint8_t itemType = 1;
  std::uint8_t uniqueId = 0;
  std::optional<std::string> name = "Item";
  std::optional<std::string> magicName;
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
  std::uint32_t endMarker = 0;  // 0x78787878 ends the table
};

// One 84-byte unique record; `effects` fills entries 1 to 6 in order.
struct UniqueSpec {
  std::optional<std::string> name = "Unique";
  std::uint8_t uniqueId = 0;
  std::uint8_t level = 0;
  std::optional<std::uint16_t> effectCount;  // absent: the number of `effects`
  std::int32_t price = 0;
  std::vector<EffectEntry> effects;  // at most 6; entry 6 holds the end-marker word
};

// The record bytes; texts are added to `pe` as strings.
std::vector<std::uint8_t> EncodeItemRecord(const ItemSpec& item, PeBuilder& pe);
std::vector<std::uint8_t> EncodeUniqueRecord(const UniqueSpec& unique, PeBuilder& pe);

// A record whose end-marker word ends its table.
std::vector<std::uint8_t> ItemTableEnd();
std::vector<std::uint8_t> UniqueTableEnd();

// The records followed by the end record, added to `pe` in one piece; returns the table's VA.
std::uint32_t AddItemTable(PeBuilder& pe, const std::vector<ItemSpec>& items);
std::uint32_t AddUniqueTable(PeBuilder& pe, const std::vector<UniqueSpec>& uniques);

// 56-byte spell records whose first field names the spell (spell code 1 is the first record);
// an absent name is stored as kUntranslatableVa. Returns the table's VA.
std::uint32_t AddSpellTable(PeBuilder& pe, const std::vector<std::optional<std::string>>& names);

}  // namespace gvde::demogame
