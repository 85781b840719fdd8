#include "site/table_warnings.h"

#include "game/table_evidence.h"

namespace gvde {
namespace {

TableEvidence EvidenceOf(const GameData& game, TableKey key) {
  switch (key) {
    case TableKey::Item: return ItemEvidence(game.items);
    case TableKey::Unique: {
      const std::bitset<256> ids = ItemUniqueIds(game.items);
      return UniqueEvidence(game.uniques, &ids);
    }
    case TableKey::Monster: return MonsterEvidence(game.monsters);
    case TableKey::Boss: return BossEvidence(game.bosses, static_cast<std::uint32_t>(game.monsters.size()));
    // The run does not need the spell table's start to translate; its names say enough.
    case TableKey::Spell: return SpellEvidence(game.spellNames, true);
    case TableKey::Affix: return AffixEvidence(game.prefixes, game.suffixes);
  }
  return {};
}

}  // namespace

std::vector<std::string> TableWarnings(const GameData& game, const TableAddresses& addresses) {
  std::vector<std::string> warnings;
  for (const TableKey key : kTableKeys) {
    const TableEvidence evidence = EvidenceOf(game, key);
    if (Judge(key, evidence) != Verdict::Wrong) continue;
    warnings.push_back(std::string(KeyName(key)) + " at " + AddressText(AddressOf(addresses, key)) +
                       " does not look like the " + std::string(TableTitle(key)) + " (" + WrongReason(key, evidence) +
                       ")");
  }
  return warnings;
}

}  // namespace gvde
