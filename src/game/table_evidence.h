// What a game table looks like: how many records a walk reads, how many of their names read
// as text, how many hold their enumerations in range, and how they relate to the other
// tables. The table finder, gvde-cli --check and the run's warnings judge tables by it.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "game/affix_records.h"
#include "game/game_data.h"
#include "game/item_records.h"
#include "game/monster_records.h"

namespace gvde {

// The six tables, in the order of Address.ini.
enum class TableKey : std::uint8_t { Item, Unique, Monster, Boss, Spell, Affix };
inline constexpr std::array<TableKey, 6> kTableKeys = {TableKey::Item,  TableKey::Unique, TableKey::Monster,
                                                       TableKey::Boss,  TableKey::Spell,  TableKey::Affix};

std::string_view KeyName(TableKey key);    // "ItemTable"
std::string_view TableTitle(TableKey key);  // "item table"
std::uint32_t AddressOf(const TableAddresses& addresses, TableKey key);
void SetAddress(TableAddresses& addresses, TableKey key, std::uint32_t address);

// A game address as Address.ini writes it: upper-case hexadecimal digits, no prefix.
std::string AddressText(std::uint32_t address);

struct TableEvidence {
  bool translates = true;  // the address lies in a section of GV.exe
  bool terminated = true;  // the walk ended at the table's end marker (spells have none)
  std::uint32_t records = 0;  // affixes: prefixes and suffixes; spells: the 52 records read
  std::uint32_t namesReadable = 0;
  std::uint32_t inRange = 0;  // records whose enumerations and spell codes lie in range
  std::uint32_t prefixes = 0;
  std::uint32_t suffixes = 0;
  // Uniques that find a base item, bosses that name a monster; absent when the other table is
  // unknown, and for the tables without such a relation.
  std::optional<std::uint32_t> related;
};

// The unique IDs that the items carry: a unique's base item is the first item of its ID.
std::bitset<256> ItemUniqueIds(std::span<const ItemRecord> items);

TableEvidence ItemEvidence(std::span<const ItemRecord> items);
TableEvidence UniqueEvidence(std::span<const UniqueRecord> uniques, const std::bitset<256>* itemUniqueIds);
TableEvidence MonsterEvidence(std::span<const MonsterRecord> monsters);
TableEvidence BossEvidence(std::span<const BossRecord> bosses, std::optional<std::uint32_t> monsterCount);
TableEvidence AffixEvidence(std::span<const AffixRecord> prefixes, std::span<const AffixRecord> suffixes);
// The names of spell codes 1 to 52 (ReadSpellNames); `translates`: the table's address lies
// in a section.
TableEvidence SpellEvidence(const SpellNames& names, bool translates);

// Ok: the table looks right. Wrong: plainly not the table (no records, almost no readable
// name, most records out of range, or no place in the file). Doubtful: anything between.
enum class Verdict : std::uint8_t { Ok, Doubtful, Wrong };
Verdict Judge(TableKey key, const TableEvidence& evidence);
std::string_view VerdictWord(Verdict verdict);  // "ok", "doubtful", "wrong"

// "165 records, 165 names readable, 164 with fields in range"
std::string DescribeEvidence(TableKey key, const TableEvidence& evidence);
// Why a Wrong table is wrong, in a few words: "0 of 165 names readable".
std::string WrongReason(TableKey key, const TableEvidence& evidence);

}  // namespace gvde
