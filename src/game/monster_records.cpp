#include "game/monster_records.h"

#include <algorithm>
#include <array>
#include <unordered_map>
#include <utility>

namespace gvde {

namespace {

constexpr std::array<std::string_view, 3> kMonsterClassNames = {"Undead", "Demon", "Animal"};
constexpr std::array<std::string_view, 6> kAnimationNames = {"Idle",    "Walk",  "Attack",
                                                             "Get Hit", "Death", "Second Attack"};
constexpr std::string_view kNoName = "ERROR!";

MonsterRecord DecodeMonster(const executable& exe, const RecordView& view) {
  MonsterRecord m;
  m.animationSize = view.I32(0x00);
  m.seedingSize = view.I32(0x04);
  m.animationFileAddress = view.U32(0x08);
  m.secondAttackEnabled = view.U32(0x0C);
  m.soundSet = exe.TranslateString(view.U32(0x10)).value_or(std::string());
  m.specialSounds = view.U32(0x14);
  m.hasColorTranslation = view.U32(0x18);
  m.colorTranslationFile = exe.TranslateString(view.U32(0x1C)).value_or(std::string());
  for (std::uint32_t i = 0; i < 6; ++i) {
    m.frameCounts[i] = view.I32(0x20 + 4 * i);
    m.frameDelays[i] = view.I32(0x38 + 4 * i);
  }
  m.name = exe.TranslateString(view.U32(0x50)).value_or(std::string());
  m.minDungeonCode = view.U8(0x54);
  m.maxDungeonCode = view.U8(0x55);
  m.monsterLevel = view.U16(0x56);
  m.minHitPoints = view.I32(0x58);
  m.maxHitPoints = view.I32(0x5C);
  m.aiType = view.U32(0x60);
  m.intelligence = view.U32(0x64);
  m.aiSubtype = view.U8(0x68);
  m.toHit = view.U8(0x69);
  m.attackFrame = view.U8(0x6A);
  m.minDamage = view.U8(0x6B);
  m.maxDamage = view.U8(0x6C);
  m.toHit2 = view.U8(0x6D);
  m.attackFrame2 = view.U8(0x6E);
  m.minDamage2 = view.U8(0x6F);
  m.maxDamage2 = view.U8(0x70);
  m.armor = view.U8(0x71);
  m.monsterClass = view.U16(0x72);
  m.resistances = view.U16(0x74);
  m.doomResistances = view.U16(0x76);
  m.dropType = view.U16(0x78);
  m.selectionOutline = view.U16(0x7A);
  m.experience = view.I32(0x7C);
  return m;
}

BossRecord DecodeBoss(const executable& exe, const RecordView& view) {
  BossRecord b;
  b.baseMonster = view.I32(0x00);
  b.name = exe.TranslateString(view.U32(0x04)).value_or(std::string());
  b.colorTranslation = exe.TranslateString(view.U32(0x08));
  b.dungeonLevel = view.U16(0x0C);
  if (b.dungeonLevel > kMaxBossDungeonLevel) b.dungeonLevel = 0;
  b.hitPoints = view.U16(0x0E);
  b.aiType = view.U8(0x10);
  b.aiSubtype = view.U8(0x11);
  b.minDamage = view.U8(0x12);
  b.maxDamage = view.U8(0x13);
  b.resistances = view.U16(0x14);
  b.packTrigger = view.U16(0x16);
  b.packValue = view.I32(0x18);
  b.specialSound = view.I32(0x1C);
  return b;
}

// Groups monsters by the raw sprite address, numbered in the table order of their first
// members; the same result as scanning the rest of the table for each new address.
void GroupByAnimation(const executable& exe, PreparedMonsters& out) {
  std::unordered_map<std::uint32_t, std::uint32_t> groupOfAddress;
  groupOfAddress.reserve(out.monsters.size());
  for (MonsterRecord& m : out.monsters) {
    const auto next = static_cast<std::uint32_t>(out.AnimationGroups.size());
    const auto [it, isNew] = groupOfAddress.try_emplace(m.animationFileAddress, next);
    if (isNew) {
      out.AnimationGroups.push_back(
          {exe.TranslateString(m.animationFileAddress).value_or(std::string()), m.name});
    }
    m.animationGroup = it->second;
  }
  out.AnimationGroupCount = static_cast<std::uint32_t>(out.AnimationGroups.size());
}

}  // namespace

PreparedMonsters PrepareMonsterTables(const executable& exe, std::uint32_t monsterStart,
                                      std::uint32_t bossStart) {
  PreparedMonsters out;

  const TableWalk monsterWalk = WalkTable(exe, monsterStart, kMonsterRecordSize, 0, kMonsterEndMarker);
  out.monsters.reserve(monsterWalk.records.size());
  for (const RecordView& view : monsterWalk.records) {
    MonsterRecord m = DecodeMonster(exe, view);
    out.MaxDungeonLevel = std::max(out.MaxDungeonLevel, m.LastDungeonLevel());
    out.MaxMonsterLevel = std::max<std::uint32_t>(out.MaxMonsterLevel, m.monsterLevel);
    out.monsters.push_back(std::move(m));
  }
  out.MonsterCount = static_cast<std::uint32_t>(out.monsters.size());

  GroupByAnimation(exe, out);

  const TableWalk bossWalk = WalkTable(exe, bossStart, kBossRecordSize, 0, kBossEndMarker);
  out.bosses.reserve(bossWalk.records.size());
  for (const RecordView& view : bossWalk.records) {
    BossRecord b = DecodeBoss(exe, view);
    out.MaxDungeonLevel = std::max<std::uint32_t>(out.MaxDungeonLevel, b.dungeonLevel);
    out.bosses.push_back(std::move(b));
  }
  return out;
}

std::string_view MonsterClassName(std::uint32_t monsterClass) {
  return monsterClass < kMonsterClassNames.size() ? kMonsterClassNames[monsterClass] : kNoName;
}

std::string_view AnimationName(std::uint32_t index) {
  return index < kAnimationNames.size() ? kAnimationNames[index] : kNoName;
}

}  // namespace gvde
