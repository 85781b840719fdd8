#include "demogame/monster_tables.h"

namespace gvde::demogame {

namespace {

void PutI32(std::vector<std::uint8_t>& out, std::size_t offset, std::int32_t value) {
  PutU32(out, offset, static_cast<std::uint32_t>(value));
}

// Appends the records and the terminator in one block, so they lie back to back.
std::uint32_t AddTable(PeBuilder& pe, const std::vector<std::vector<std::uint8_t>>& records,
                       const std::vector<std::uint8_t>& terminator) {
  std::vector<std::uint8_t> block;
  for (const auto& record : records) block.insert(block.end(), record.begin(), record.end());
  block.insert(block.end(), terminator.begin(), terminator.end());
  return pe.AddData(block);
}

}  // namespace

std::vector<std::uint8_t> EncodeMonster(const MonsterFields& m) {
  std::vector<std::uint8_t> out(128, 0);
  PutI32(out, 0x00, m.animationSize);
  PutI32(out, 0x04, m.seedingSize);
  PutU32(out, 0x08, m.animationFile);
  PutU32(out, 0x0C, m.secondAttackEnabled);
  PutU32(out, 0x10, m.soundSet);
  PutU32(out, 0x14, m.specialSounds);
  PutU32(out, 0x18, m.hasColorTranslation);
  PutU32(out, 0x1C, m.colorTranslationFile);
  for (std::size_t i = 0; i < 6; ++i) {
    PutI32(out, 0x20 + 4 * i, m.frameCounts[i]);
    PutI32(out, 0x38 + 4 * i, m.frameDelays[i]);
  }
  PutU32(out, 0x50, m.name);
  PutU8(out, 0x54, m.minDungeonCode);
  PutU8(out, 0x55, m.maxDungeonCode);
  PutU16(out, 0x56, m.monsterLevel);
  PutI32(out, 0x58, m.minHitPoints);
  PutI32(out, 0x5C, m.maxHitPoints);
  PutU32(out, 0x60, m.aiType);
  PutU32(out, 0x64, m.intelligence);
  PutU8(out, 0x68, m.aiSubtype);
  PutU8(out, 0x69, m.toHit);
  PutU8(out, 0x6A, m.attackFrame);
  PutU8(out, 0x6B, m.minDamage);
  PutU8(out, 0x6C, m.maxDamage);
  PutU8(out, 0x6D, m.toHit2);
  PutU8(out, 0x6E, m.attackFrame2);
  PutU8(out, 0x6F, m.minDamage2);
  PutU8(out, 0x70, m.maxDamage2);
  PutU8(out, 0x71, m.armor);
  PutU16(out, 0x72, m.monsterClass);
  PutU16(out, 0x74, m.resistances);
  PutU16(out, 0x76, m.doomResistances);
  PutU16(out, 0x78, m.dropType);
  PutU16(out, 0x7A, m.selectionOutline);
  PutI32(out, 0x7C, m.experience);
  return out;
}

std::vector<std::uint8_t> EncodeBoss(const BossFields& b) {
  std::vector<std::uint8_t> out(32, 0);
  PutI32(out, 0x00, b.baseMonster);
  PutU32(out, 0x04, b.name);
  PutU32(out, 0x08, b.colorTranslation);
  PutU16(out, 0x0C, b.dungeonLevel);
  PutU16(out, 0x0E, b.hitPoints);
  PutU8(out, 0x10, b.aiType);
  PutU8(out, 0x11, b.aiSubtype);
  PutU8(out, 0x12, b.minDamage);
  PutU8(out, 0x13, b.maxDamage);
  PutU16(out, 0x14, b.resistances);
  PutU16(out, 0x16, b.packTrigger);
  PutI32(out, 0x18, b.packValue);
  PutI32(out, 0x1C, b.specialSound);
  return out;
}

std::vector<std::uint8_t> EncodeAffix(const AffixFields& a) {
  std::vector<std::uint8_t> out(48, 0);
  PutU32(out, 0x00, a.name);
  PutU32(out, 0x04, a.effectCode);
  PutI32(out, 0x08, a.effectParam1);
  PutI32(out, 0x0C, a.effectParam2);
  PutU32(out, 0x10, a.level);
  PutU32(out, 0x14, a.itemClasses);
  PutU32(out, 0x18, a.group);
  PutU32(out, 0x1C, a.unused);
  PutU32(out, 0x20, a.inShops);
  PutI32(out, 0x24, a.minPrice);
  PutI32(out, 0x28, a.maxPrice);
  PutI32(out, 0x2C, a.priceMultiplier);
  return out;
}

std::vector<std::uint8_t> MonsterTerminator() {
  std::vector<std::uint8_t> out(128, 0);
  PutU32(out, 0, 0x78787878);
  return out;
}

std::vector<std::uint8_t> BossTerminator() {
  std::vector<std::uint8_t> out(32, 0);
  PutU32(out, 0, 0xFFFFFFFF);
  return out;
}

std::vector<std::uint8_t> AffixTerminator() {
  std::vector<std::uint8_t> out(48, 0);
  PutU32(out, 4, 0xFFFFFFFF);
  return out;
}

std::uint32_t AddMonsterTable(PeBuilder& pe, const std::vector<MonsterFields>& monsters) {
  std::vector<std::vector<std::uint8_t>> records;
  for (const MonsterFields& m : monsters) records.push_back(EncodeMonster(m));
  return AddTable(pe, records, MonsterTerminator());
}

std::uint32_t AddBossTable(PeBuilder& pe, const std::vector<BossFields>& bosses) {
  std::vector<std::vector<std::uint8_t>> records;
  for (const BossFields& b : bosses) records.push_back(EncodeBoss(b));
  return AddTable(pe, records, BossTerminator());
}

std::uint32_t AddAffixTable(PeBuilder& pe, const std::vector<AffixFields>& prefixes,
                            const std::vector<AffixFields>& suffixes) {
  std::vector<std::vector<std::uint8_t>> records;
  for (const AffixFields& a : prefixes) records.push_back(EncodeAffix(a));
  records.push_back(AffixTerminator());
  for (const AffixFields& a : suffixes) records.push_back(EncodeAffix(a));
  return AddTable(pe, records, AffixTerminator());
}

}  // namespace gvde::demogame
