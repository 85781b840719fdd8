// Everything one run reads from the game, decoded once from GV.exe as plain values (texts as
// their raw bytes): the tables, the spell names, the title, and the relations between records
// that several pages show. Nothing reads the executable after it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "game/affix_records.h"
#include "game/executable.h"
#include "game/item_records.h"
#include "game/monster_records.h"

namespace gvde {

// Where the tables and the title lie in GV.exe, as addresses of the running program (Address.ini).
struct TableAddresses {
  std::uint32_t itemTable = 0;
  std::uint32_t uniqueTable = 0;
  std::uint32_t monsterTable = 0;
  std::uint32_t bossTable = 0;
  std::uint32_t spellTable = 0;
  std::uint32_t affixTable = 0;
  std::uint32_t title = 0;
};

// File offsets of the first record of each table (the translated table starts).
struct TableStarts {
  std::uint32_t items = 0;
  std::uint32_t uniques = 0;
  std::uint32_t monsters = 0;
  std::uint32_t bosses = 0;
  std::uint32_t affixes = 0;
};

enum class AffixKind : std::uint8_t { Prefix = 0, Suffix = 1 };

struct GameData {
  // The text at the title address, "<NO STRING>" when it does not translate.
  std::string title;
  // The name of spell code k at k - 1 (ReadSpellNames).
  SpellNames spellNames;

  std::vector<ItemRecord> items;
  std::vector<UniqueRecord> uniques;
  std::vector<MonsterRecord> monsters;
  std::vector<BossRecord> bosses;
  std::vector<AffixRecord> prefixes;
  std::vector<AffixRecord> suffixes;
  std::vector<animfiledescr> animationGroups;

  std::uint32_t maxDungeonLevel = 0;
  std::uint32_t maxMonsterLevel = 0;
  std::uint32_t maxAffixLevel = 0;

  // Unique numbers in table order for each unique ID (an item page lists them).
  std::array<std::vector<std::uint32_t>, 256> uniquesById;
  // The first item in table order for each unique ID (a unique's base item).
  std::array<std::optional<std::uint32_t>, 256> baseItemById;
  // Boss numbers in table order for each monster (a monster page lists them).
  std::vector<std::vector<std::uint32_t>> bossesByMonster;

  // The name of spell `code`; "<NO STRING>" for codes outside 1 to 52.
  std::string_view SpellName(std::uint32_t code) const;
  const std::vector<AffixRecord>& Affixes(AffixKind kind) const {
    return kind == AffixKind::Prefix ? prefixes : suffixes;
  }
  // The record of monster `number`, or nullptr when the number names no monster.
  const MonsterRecord* Monster(std::int32_t number) const;
  // The animation group of a monster, or nullptr when it has none (or the groups are released).
  const animfiledescr* GroupOf(const MonsterRecord& monster) const;
};

// The table starts of `addresses` as file offsets; nullopt when one does not translate. The
// spell table and the title are translated where they are read.
std::optional<TableStarts> TranslateTableStarts(const executable& exe, const TableAddresses& addresses);

// The table starts that do not translate, each as its Address.ini key and address
// ("ItemTable 4A1000"), in the order of TableStarts. The spell table and the title are not
// among them: an address of theirs that does not translate reads as "<NO STRING>".
std::vector<std::string> UntranslatedTableStarts(const executable& exe, const TableAddresses& addresses);

// The record names of a table, in table order.
template <typename Record>
std::vector<std::string_view> NamesOf(const std::vector<Record>& records) {
  std::vector<std::string_view> names;
  names.reserve(records.size());
  for (const Record& record : records) names.emplace_back(record.name);
  return names;
}

// Builds the relations between records (uniquesById, baseItemById, bossesByMonster) from the
// tables; PrepareGameData calls it.
void RelateRecords(GameData& game);

// Runs the preparation passes over `image` (items, uniques, monsters and bosses, affixes),
// reads the spell names and the title at `addresses`, and builds the relations.
GameData PrepareGameData(const executable& image, const TableAddresses& addresses, const TableStarts& starts);

}  // namespace gvde
