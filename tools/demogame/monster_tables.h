// Encoders of the monster (128-byte), boss (32-byte) and affix (48-byte) records of GV.exe,
// with text fields given as game virtual addresses (from PeBuilder::AddString). Every field
// defaults to 0, as in an all-zero record.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "demogame/pe_builder.h"

namespace gvde::demogame {

// Every field at its stored width; addresses are raw game virtual addresses.
struct MonsterFields {
  std::int32_t animationSize = 0;
  std::int32_t seedingSize = 0;
  std::uint32_t animationFile = 0;
  std::uint32_t secondAttackEnabled = 0;
  std::uint32_t soundSet = 0;
  std::uint32_t specialSounds = 0;
  std::uint32_t hasColorTranslation = 0;
  std::uint32_t colorTranslationFile = 0;
  std::array<std::int32_t, 6> frameCounts{};
  std::array<std::int32_t, 6> frameDelays{};
  std::uint32_t name = 0;
  std::uint8_t minDungeonCode = 0;
  std::uint8_t maxDungeonCode = 0;
  std::uint16_t monsterLevel = 0;
  std::int32_t minHitPoints = 0;
  std::int32_t maxHitPoints = 0;
  std::uint32_t aiType = 0;
  std::uint32_t intelligence = 0;
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
};

struct BossFields {
  std::int32_t baseMonster = 0;
  std::uint32_t name = 0;
  std::uint32_t colorTranslation = 0;
  std::uint16_t dungeonLevel = 0;
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

struct AffixFields {
  std::uint32_t name = 0;
  std::uint32_t effectCode = 0;
  std::int32_t effectParam1 = 0;
  std::int32_t effectParam2 = 0;
  std::uint32_t level = 0;
  std::uint32_t itemClasses = 0;
  std::uint32_t group = 0;
  std::uint32_t unused = 0;  // offset 0x1C, never read
  std::uint32_t inShops = 0;
  std::int32_t minPrice = 0;
  std::int32_t maxPrice = 0;
  std::int32_t priceMultiplier = 0;
};

std::vector<std::uint8_t> EncodeMonster(const MonsterFields& monster);  // 128 bytes
std::vector<std::uint8_t> EncodeBoss(const BossFields& boss);           // 32 bytes
std::vector<std::uint8_t> EncodeAffix(const AffixFields& affix);        // 48 bytes

// The terminator records: "xxxx" at 0, 0xFFFFFFFF at 0, 0xFFFFFFFF at 4 (the rest zero).
std::vector<std::uint8_t> MonsterTerminator();
std::vector<std::uint8_t> BossTerminator();
std::vector<std::uint8_t> AffixTerminator();

// Appends the records and their terminator to the image's data section; returns the game
// virtual address of the first record (of the terminator when the table is empty).
std::uint32_t AddMonsterTable(PeBuilder& pe, const std::vector<MonsterFields>& monsters);
std::uint32_t AddBossTable(PeBuilder& pe, const std::vector<BossFields>& bosses);
// Prefixes, their terminator, suffixes and theirs.
std::uint32_t AddAffixTable(PeBuilder& pe, const std::vector<AffixFields>& prefixes,
                            const std::vector<AffixFields>& suffixes);

}  // namespace gvde::demogame
