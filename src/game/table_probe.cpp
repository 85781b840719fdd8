#include "game/table_probe.h"

#include <utility>

namespace gvde {
namespace {

// Monsters and bosses are prepared together; a start at the end of the file reads no records,
// so either walk can be left out.
std::uint32_t NoTable(const executable& exe) { return exe.fileSize; }

bool Terminated(const executable& exe, std::uint32_t start, std::uint32_t size, std::uint32_t markerOffset,
                std::uint32_t marker) {
  return WalkTable(exe, start, size, markerOffset, marker).terminatorOffset.has_value();
}

TableEvidence ProbeAt(const executable& exe, TableKey key, std::uint32_t start, const TableRelations& relations) {
  TableEvidence evidence;
  switch (key) {
    case TableKey::Item:
      evidence = ItemEvidence(PrepareItemTable(exe, start).records);
      evidence.terminated = Terminated(exe, start, kItemRecordSize, kItemEndMarkerOffset, kItemEndMarker);
      break;
    case TableKey::Unique:
      evidence = UniqueEvidence(PrepareUniqueTable(exe, start).records,
                                relations.itemUniqueIds ? &*relations.itemUniqueIds : nullptr);
      evidence.terminated = Terminated(exe, start, kUniqueRecordSize, kUniqueEndMarkerOffset, kUniqueEndMarker);
      break;
    case TableKey::Monster:
      evidence = MonsterEvidence(PrepareMonsterTables(exe, start, NoTable(exe)).monsters);
      evidence.terminated = Terminated(exe, start, kMonsterRecordSize, 0, kMonsterEndMarker);
      break;
    case TableKey::Boss:
      evidence = BossEvidence(PrepareMonsterTables(exe, NoTable(exe), start).bosses, relations.monsterCount);
      evidence.terminated = Terminated(exe, start, kBossRecordSize, 0, kBossEndMarker);
      break;
    case TableKey::Affix: {
      const PreparedAffixes affixes = PrepareAffixTable(exe, start);
      evidence = AffixEvidence(affixes.prefixes, affixes.suffixes);
      const TableWalk prefixWalk = WalkTable(exe, start, kAffixRecordSize, kAffixEndMarkerOffset, kAffixEndMarker);
      evidence.terminated =
          prefixWalk.terminatorOffset &&
          Terminated(exe, *prefixWalk.terminatorOffset + kAffixRecordSize, kAffixRecordSize, kAffixEndMarkerOffset,
                     kAffixEndMarker);
      break;
    }
    case TableKey::Spell:
      break;  // read by address, below
  }
  return evidence;
}

}  // namespace

TableEvidence ProbeTable(const executable& exe, TableKey key, std::uint32_t va, const TableRelations& relations) {
  if (key == TableKey::Spell) return SpellEvidence(ReadSpellNames(exe, va), exe.VAToPointer(va).has_value());
  const std::optional<std::uint32_t> start = exe.VAToPointer(va);
  if (!start) {
    TableEvidence evidence;
    evidence.translates = false;
    return evidence;
  }
  return ProbeAt(exe, key, *start, relations);
}

TableRelations RelationsOf(const executable& exe, std::optional<std::uint32_t> itemVa,
                           std::optional<std::uint32_t> monsterVa) {
  TableRelations relations;
  if (const std::optional<std::uint32_t> items = itemVa ? exe.VAToPointer(*itemVa) : std::nullopt) {
    relations.itemUniqueIds = ItemUniqueIds(PrepareItemTable(exe, *items).records);
  }
  if (const std::optional<std::uint32_t> monsters = monsterVa ? exe.VAToPointer(*monsterVa) : std::nullopt) {
    relations.monsterCount =
        static_cast<std::uint32_t>(PrepareMonsterTables(exe, *monsters, NoTable(exe)).monsters.size());
  }
  return relations;
}

}  // namespace gvde
