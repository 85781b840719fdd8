// The monster and boss tables of GV.exe, decoded, with texts translated and monsters
// sorted into animation groups (monsters that share one sprite file address).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "game/executable.h"

namespace gvde {

constexpr std::uint32_t kMonsterRecordSize = 128;
constexpr std::uint32_t kMonsterEndMarker = 0x78787878;  // at offset 0
constexpr std::uint32_t kMonsterNameOffset = 0x50;
constexpr std::uint32_t kBossRecordSize = 32;
constexpr std::uint32_t kBossEndMarker = 0xFFFFFFFF;  // at offset 0
constexpr std::uint32_t kBossNameOffset = 0x04;
constexpr std::uint16_t kMaxBossDungeonLevel = 32;
// AI types 0 to 39 have a name (AITypes.ini).
constexpr std::uint32_t kAiTypeNameCount = 40;

struct MonsterRecord {
  std::int32_t animationSize = 0;
  std::int32_t seedingSize = 0;
  std::uint32_t animationFileAddress = 0;  // raw game address; groups are formed on it
  std::uint32_t animationGroup = 0;        // index into the animation groups
  std::uint32_t secondAttackEnabled = 0;
  std::string soundSet;  // empty when it does not translate
  std::uint32_t specialSounds = 0;
  std::uint32_t hasColorTranslation = 0;
  std::string colorTranslationFile;  // empty when it does not translate
  std::array<std::int32_t, 6> frameCounts{};
  std::array<std::int32_t, 6> frameDelays{};
  std::string name;  // empty when it does not translate
  std::uint8_t minDungeonCode = 0;
  std::uint8_t maxDungeonCode = 0;
  std::uint16_t monsterLevel = 0;
  std::int32_t minHitPoints = 0;
  std::int32_t maxHitPoints = 0;
  std::uint32_t aiType = 0;        // raw field; AiType() gives the low 8 bits
  std::uint32_t intelligence = 0;  // raw field; Iq() gives bits 8..31
  std::uint8_t aiSubtype = 0;
  std::uint8_t toHit = 0;
  std::uint8_t attackFrame = 0;
  std::uint8_t minDamage = 0;
  std::uint8_t maxDamage = 0;
  std::uint8_t toHit2 = 0;
  std::uint8_t attackFrame2 = 0;
  std::uint8_t minDamage2 = 0;
  std::uint8_t maxDamage2 = 0;
  std::uint8_t armor = 0;
  std::uint16_t monsterClass = 0;
  std::uint16_t resistances = 0;
  std::uint16_t doomResistances = 0;
  std::uint16_t dropType = 0;
  std::uint16_t selectionOutline = 0;
  std::int32_t experience = 0;

  std::uint32_t AiType() const { return aiType & 0xFF; }
  std::uint32_t Iq() const { return intelligence >> 8; }
  std::uint32_t FirstDungeonLevel() const { return minDungeonCode / 2u + 1u; }
  std::uint32_t LastDungeonLevel() const { return maxDungeonCode / 2u + 1u; }
  // The colour translation file when the monster uses one.
  std::optional<std::string> EffectiveColorTranslation() const {
    if (hasColorTranslation == 0) return std::nullopt;
    return colorTranslationFile;
  }
};

struct BossRecord {
  std::int32_t baseMonster = 0;
  std::string name;                             // empty when it does not translate
  std::optional<std::string> colorTranslation;  // absent when it does not translate
  std::uint16_t dungeonLevel = 0;               // levels above 32 already clamped to 0
  std::uint16_t hitPoints = 0;
  std::uint8_t aiType = 0;
  std::uint8_t aiSubtype = 0;
  std::uint8_t minDamage = 0;
  std::uint8_t maxDamage = 0;
  std::uint16_t resistances = 0;
  std::uint16_t packTrigger = 0;
  std::int32_t packValue = 0;
  std::int32_t specialSound = 0;
};

struct animfiledescr {
  std::string animationFile;
  std::string firstMonsterName;
};

struct PreparedMonsters {
  std::vector<MonsterRecord> monsters;
  std::vector<BossRecord> bosses;
  std::uint32_t monsterCount = 0;
  std::uint32_t maxDungeonLevel = 0;
  std::uint32_t maxMonsterLevel = 0;
  std::uint32_t animationGroupCount = 0;
  std::vector<animfiledescr> animationGroups;
};

// Monster walk, animation grouping, boss walk. Starts are file offsets of the first records.
PreparedMonsters PrepareMonsterTables(const executable& exe, std::uint32_t monsterStart,
                                      std::uint32_t bossStart);

std::string_view MonsterClassName(std::uint32_t monsterClass);  // "ERROR!" above 2
std::string_view AnimationName(std::uint32_t index);

}  // namespace gvde
