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

// MonsterRecord, 128 bytes.
namespace monster_field {
constexpr std::uint32_t kAnimationSize = 0x00;
constexpr std::uint32_t kSeedingSize = 0x04;
constexpr std::uint32_t kAnimationFile = 0x08;
constexpr std::uint32_t kSecondAttackEnabled = 0x0C;
constexpr std::uint32_t kSoundSet = 0x10;
constexpr std::uint32_t kSpecialSounds = 0x14;
constexpr std::uint32_t kHasColorTranslation = 0x18;
constexpr std::uint32_t kColorTranslationFile = 0x1C;
constexpr std::uint32_t kFrameCounts = 0x20;  // 6 x 32 bits
constexpr std::uint32_t kFrameDelays = 0x38;  // 6 x 32 bits
constexpr std::uint32_t kName = kMonsterNameOffset;
constexpr std::uint32_t kMinDungeonCode = 0x54;
constexpr std::uint32_t kMaxDungeonCode = 0x55;
constexpr std::uint32_t kMonsterLevel = 0x56;
constexpr std::uint32_t kMinHitPoints = 0x58;
constexpr std::uint32_t kMaxHitPoints = 0x5C;
constexpr std::uint32_t kAiType = 0x60;
constexpr std::uint32_t kIntelligence = 0x64;
constexpr std::uint32_t kAiSubtype = 0x68;
constexpr std::uint32_t kToHit = 0x69;
constexpr std::uint32_t kAttackFrame = 0x6A;
constexpr std::uint32_t kMinDamage = 0x6B;
constexpr std::uint32_t kMaxDamage = 0x6C;
constexpr std::uint32_t kToHit2 = 0x6D;
constexpr std::uint32_t kAttackFrame2 = 0x6E;
constexpr std::uint32_t kMinDamage2 = 0x6F;
constexpr std::uint32_t kMaxDamage2 = 0x70;
constexpr std::uint32_t kArmor = 0x71;
constexpr std::uint32_t kMonsterClass = 0x72;
constexpr std::uint32_t kResistances = 0x74;
constexpr std::uint32_t kDoomResistances = 0x76;
constexpr std::uint32_t kDropType = 0x78;
constexpr std::uint32_t kSelectionOutline = 0x7A;
constexpr std::uint32_t kExperience = 0x7C;
}  // namespace monster_field

// BossRecord, 32 bytes.
namespace boss_field {
constexpr std::uint32_t kBaseMonster = 0x00;
constexpr std::uint32_t kName = kBossNameOffset;
constexpr std::uint32_t kColorTranslation = 0x08;
constexpr std::uint32_t kDungeonLevel = 0x0C;
constexpr std::uint32_t kHitPoints = 0x0E;
constexpr std::uint32_t kAiType = 0x10;
constexpr std::uint32_t kAiSubtype = 0x11;
constexpr std::uint32_t kMinDamage = 0x12;
constexpr std::uint32_t kMaxDamage = 0x13;
constexpr std::uint32_t kResistances = 0x14;
constexpr std::uint32_t kPackTrigger = 0x16;
constexpr std::uint32_t kPackValue = 0x18;
constexpr std::uint32_t kSpecialSound = 0x1C;
}  // namespace boss_field

MonsterRecord DecodeMonster(const executable& exe, const RecordView& view) {
  namespace f = monster_field;
  MonsterRecord m;
  m.animationSize = view.I32(f::kAnimationSize);
  m.seedingSize = view.I32(f::kSeedingSize);
  m.animationFileAddress = view.U32(f::kAnimationFile);
  m.secondAttackEnabled = view.U32(f::kSecondAttackEnabled);
  m.soundSet = exe.TranslateString(view.U32(f::kSoundSet)).value_or(std::string());
  m.specialSounds = view.U32(f::kSpecialSounds);
  m.hasColorTranslation = view.U32(f::kHasColorTranslation);
  m.colorTranslationFile = exe.TranslateString(view.U32(f::kColorTranslationFile)).value_or(std::string());
  for (std::uint32_t i = 0; i < 6; ++i) {
    m.frameCounts[i] = view.I32(f::kFrameCounts + 4 * i);
    m.frameDelays[i] = view.I32(f::kFrameDelays + 4 * i);
  }
  m.name = exe.TranslateString(view.U32(f::kName)).value_or(std::string());
  m.minDungeonCode = view.U8(f::kMinDungeonCode);
  m.maxDungeonCode = view.U8(f::kMaxDungeonCode);
  m.monsterLevel = view.U16(f::kMonsterLevel);
  m.minHitPoints = view.I32(f::kMinHitPoints);
  m.maxHitPoints = view.I32(f::kMaxHitPoints);
  m.aiType = view.U32(f::kAiType);
  m.intelligence = view.U32(f::kIntelligence);
  m.aiSubtype = view.U8(f::kAiSubtype);
  m.toHit = view.U8(f::kToHit);
  m.attackFrame = view.U8(f::kAttackFrame);
  m.minDamage = view.U8(f::kMinDamage);
  m.maxDamage = view.U8(f::kMaxDamage);
  m.toHit2 = view.U8(f::kToHit2);
  m.attackFrame2 = view.U8(f::kAttackFrame2);
  m.minDamage2 = view.U8(f::kMinDamage2);
  m.maxDamage2 = view.U8(f::kMaxDamage2);
  m.armor = view.U8(f::kArmor);
  m.monsterClass = view.U16(f::kMonsterClass);
  m.resistances = view.U16(f::kResistances);
  m.doomResistances = view.U16(f::kDoomResistances);
  m.dropType = view.U16(f::kDropType);
  m.selectionOutline = view.U16(f::kSelectionOutline);
  m.experience = view.I32(f::kExperience);
  return m;
}

BossRecord DecodeBoss(const executable& exe, const RecordView& view) {
  namespace f = boss_field;
  BossRecord b;
  b.baseMonster = view.I32(f::kBaseMonster);
  b.name = exe.TranslateString(view.U32(f::kName)).value_or(std::string());
  b.colorTranslation = exe.TranslateString(view.U32(f::kColorTranslation));
  b.dungeonLevel = view.U16(f::kDungeonLevel);
  if (b.dungeonLevel > kMaxBossDungeonLevel) b.dungeonLevel = 0;
  b.hitPoints = view.U16(f::kHitPoints);
  b.aiType = view.U8(f::kAiType);
  b.aiSubtype = view.U8(f::kAiSubtype);
  b.minDamage = view.U8(f::kMinDamage);
  b.maxDamage = view.U8(f::kMaxDamage);
  b.resistances = view.U16(f::kResistances);
  b.packTrigger = view.U16(f::kPackTrigger);
  b.packValue = view.I32(f::kPackValue);
  b.specialSound = view.I32(f::kSpecialSound);
  return b;
}

// Groups monsters by the raw sprite address, numbered in the table order of their first
// members; the same result as scanning the rest of the table for each new address.
void GroupByAnimation(const executable& exe, PreparedMonsters& out) {
  std::unordered_map<std::uint32_t, std::uint32_t> groupOfAddress;
  groupOfAddress.reserve(out.monsters.size());
  for (MonsterRecord& m : out.monsters) {
    const auto next = static_cast<std::uint32_t>(out.animationGroups.size());
    const auto [it, isNew] = groupOfAddress.try_emplace(m.animationFileAddress, next);
    if (isNew) {
      out.animationGroups.push_back(
          {exe.TranslateString(m.animationFileAddress).value_or(std::string()), m.name});
    }
    m.animationGroup = it->second;
  }
  out.animationGroupCount = static_cast<std::uint32_t>(out.animationGroups.size());
}

}  // namespace

PreparedMonsters PrepareMonsterTables(const executable& exe, std::uint32_t monsterStart,
                                      std::uint32_t bossStart) {
  PreparedMonsters out;

  const TableWalk monsterWalk = WalkTable(exe, monsterStart, kMonsterRecordSize, 0, kMonsterEndMarker);
  out.monsters.reserve(monsterWalk.records.size());
  for (const RecordView& view : monsterWalk.records) {
    MonsterRecord m = DecodeMonster(exe, view);
    out.maxDungeonLevel = std::max(out.maxDungeonLevel, m.LastDungeonLevel());
    out.maxMonsterLevel = std::max<std::uint32_t>(out.maxMonsterLevel, m.monsterLevel);
    out.monsters.push_back(std::move(m));
  }
  out.monsterCount = static_cast<std::uint32_t>(out.monsters.size());

  GroupByAnimation(exe, out);

  const TableWalk bossWalk = WalkTable(exe, bossStart, kBossRecordSize, 0, kBossEndMarker);
  out.bosses.reserve(bossWalk.records.size());
  for (const RecordView& view : bossWalk.records) {
    BossRecord b = DecodeBoss(exe, view);
    out.maxDungeonLevel = std::max<std::uint32_t>(out.maxDungeonLevel, b.dungeonLevel);
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
