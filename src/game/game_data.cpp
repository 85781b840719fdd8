#include "game/game_data.h"

#include <cstdio>
#include <utility>

namespace gvde {
namespace {

// The five table starts a run needs, named as in Address.ini.
struct TableStartKey {
  const char* key;
  std::uint32_t TableAddresses::*address;
};
constexpr TableStartKey kTableStartKeys[] = {{"ItemTable", &TableAddresses::itemTable},
                                             {"UniqueTable", &TableAddresses::uniqueTable},
                                             {"MonsterTable", &TableAddresses::monsterTable},
                                             {"BossTable", &TableAddresses::bossTable},
                                             {"AffixTable", &TableAddresses::affixTable}};

// As Address.ini writes it: upper-case hexadecimal digits without a prefix.
std::string AddressText(std::uint32_t address) {
  char text[9];
  std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(address));
  return text;
}

void RelateUniques(GameData& game) {
  for (std::uint32_t u = 0; u < game.uniques.size(); ++u)
    game.uniquesById[game.uniques[u].uniqueId].push_back(u);
  for (std::uint32_t n = 0; n < game.items.size(); ++n) {
    std::optional<std::uint32_t>& base = game.baseItemById[game.items[n].uniqueId];
    if (!base) base = n;
  }
}

void RelateBosses(GameData& game) {
  game.bossesByMonster.resize(game.monsters.size());
  for (std::uint32_t b = 0; b < game.bosses.size(); ++b) {
    const std::int32_t base = game.bosses[b].baseMonster;
    if (game.Monster(base) != nullptr) game.bossesByMonster[static_cast<std::uint32_t>(base)].push_back(b);
  }
}

}  // namespace

std::string_view GameData::SpellName(std::uint32_t code) const {
  if (code == 0 || code > kSpellCount) return kNoString;
  return spellNames[code - 1];
}

const MonsterRecord* GameData::Monster(std::int32_t number) const {
  if (number < 0 || static_cast<std::uint32_t>(number) >= monsters.size()) return nullptr;
  return &monsters[static_cast<std::uint32_t>(number)];
}

const animfiledescr* GameData::GroupOf(const MonsterRecord& monster) const {
  return monster.animationGroup < animationGroups.size() ? &animationGroups[monster.animationGroup] : nullptr;
}

void RelateRecords(GameData& game) {
  game.uniquesById = {};
  game.baseItemById = {};
  game.bossesByMonster.clear();
  RelateUniques(game);
  RelateBosses(game);
}

std::optional<TableStarts> TranslateTableStarts(const executable& exe, const TableAddresses& a) {
  const auto item = exe.VAToPointer(a.itemTable);
  const auto unique = exe.VAToPointer(a.uniqueTable);
  const auto monster = exe.VAToPointer(a.monsterTable);
  const auto boss = exe.VAToPointer(a.bossTable);
  const auto affix = exe.VAToPointer(a.affixTable);
  if (!item || !unique || !monster || !boss || !affix) return std::nullopt;
  return TableStarts{*item, *unique, *monster, *boss, *affix};
}

std::vector<std::string> UntranslatedTableStarts(const executable& exe, const TableAddresses& addresses) {
  std::vector<std::string> untranslated;
  for (const TableStartKey& start : kTableStartKeys) {
    const std::uint32_t address = addresses.*start.address;
    if (!exe.VAToPointer(address)) untranslated.push_back(std::string(start.key) + " " + AddressText(address));
  }
  return untranslated;
}

GameData PrepareGameData(const executable& exe, const TableAddresses& addresses, const TableStarts& starts) {
  GameData game;
  game.title = exe.ReadString(addresses.title);
  game.spellNames = ReadSpellNames(exe, addresses.spellTable);
  game.items = PrepareItemTable(exe, starts.items).records;
  game.uniques = PrepareUniqueTable(exe, starts.uniques).records;

  PreparedMonsters monsters = PrepareMonsterTables(exe, starts.monsters, starts.bosses);
  game.monsters = std::move(monsters.monsters);
  game.bosses = std::move(monsters.bosses);
  game.animationGroups = std::move(monsters.animationGroups);
  game.maxDungeonLevel = monsters.maxDungeonLevel;
  game.maxMonsterLevel = monsters.maxMonsterLevel;

  PreparedAffixes affixes = PrepareAffixTable(exe, starts.affixes);
  game.prefixes = std::move(affixes.prefixes);
  game.suffixes = std::move(affixes.suffixes);
  game.maxAffixLevel = affixes.maxAffixLevel;

  RelateRecords(game);
  return game;
}

}  // namespace gvde
