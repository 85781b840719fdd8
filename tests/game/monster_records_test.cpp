// Decoding of the monster and boss tables, animation grouping and the level maxima.
#include "game/monster_records.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "demogame/game_tables.h"
#include "demogame/monster_tables.h"
#include "demogame/pe_builder.h"
#include "testkit/built_image.h"
#include "testkit/temp_dir.h"

namespace gvde {
namespace {

using demogame::BossFields;
using demogame::MonsterFields;

class MonsterTablesTest : public ::testing::Test {
 protected:
  PreparedMonsters Prepare(const std::vector<MonsterFields>& monsters,
                           const std::vector<BossFields>& bosses) {
    const std::uint32_t monsterVa = demogame::AddMonsterTable(pe_, monsters);
    const std::uint32_t bossVa = demogame::AddBossTable(pe_, bosses);
    exe_ = testkit::LoadBuiltImage(pe_, dir_.File("GV.exe"));
    EXPECT_TRUE(exe_ && exe_->status == kExeOk);
    if (!exe_) return {};
    const auto monsterStart = exe_->VAToPointer(monsterVa);
    const auto bossStart = exe_->VAToPointer(bossVa);
    EXPECT_TRUE(monsterStart && bossStart);
    return PrepareMonsterTables(*exe_, monsterStart.value_or(0), bossStart.value_or(0));
  }
  MonsterFields Named(const char* name, std::uint32_t animationFile) {
    MonsterFields m;
    m.name = pe_.AddString(name);
    m.animationFile = animationFile;
    return m;
  }

  testkit::TempDir dir_;
  demogame::PeBuilder pe_;
  std::unique_ptr<executable> exe_;
};

TEST_F(MonsterTablesTest, MonsterFieldsAreDecodedFromTheirOffsets) {
  MonsterFields m;
  m.animationSize = 128;
  m.seedingSize = -2;
  m.animationFile = pe_.AddString("monsters\\moth\\moth%c.spr");
  m.secondAttackEnabled = 3;
  m.soundSet = pe_.AddString("Monsters\\moth\\moth");
  m.specialSounds = 4;
  m.hasColorTranslation = 5;
  m.colorTranslationFile = pe_.AddString("Monsters\\moth\\red.trn");
  m.frameCounts = {1, 2, 3, 4, 5, 6};
  m.frameDelays = {7, 8, 9, 10, 11, -12};
  m.name = pe_.AddString("Dusk Moth");
  m.minDungeonCode = 13;
  m.maxDungeonCode = 14;
  m.monsterLevel = 0x1516;
  m.minHitPoints = 17;
  m.maxHitPoints = -18;
  m.aiType = 0x12345619;
  m.intelligence = 0xABCDEF20;
  m.aiSubtype = 21;
  m.toHit = 22;
  m.attackFrame = 23;
  m.minDamage = 24;
  m.maxDamage = 25;
  m.toHit2 = 26;
  m.attackFrame2 = 27;
  m.minDamage2 = 28;
  m.maxDamage2 = 29;
  m.armor = 230;
  m.monsterClass = 0x1F01;
  m.resistances = 0x3132;
  m.doomResistances = 0x3334;
  m.dropType = 0x3536;
  m.selectionOutline = 0x3738;
  m.experience = 0x39404142;

  const PreparedMonsters prepared = Prepare({m}, {});

  ASSERT_EQ(prepared.monsters.size(), 1u);
  const MonsterRecord& r = prepared.monsters[0];
  EXPECT_EQ(r.animationSize, 128);
  EXPECT_EQ(r.seedingSize, -2);
  EXPECT_EQ(r.animationFileAddress, m.animationFile);
  EXPECT_EQ(r.animationGroup, 0u);
  EXPECT_EQ(r.secondAttackEnabled, 3u);
  EXPECT_EQ(r.soundSet, "Monsters\\moth\\moth");
  EXPECT_EQ(r.specialSounds, 4u);
  EXPECT_EQ(r.hasColorTranslation, 5u);
  EXPECT_EQ(r.colorTranslationFile, "Monsters\\moth\\red.trn");
  EXPECT_EQ(r.frameCounts, (std::array<std::int32_t, 6>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(r.frameDelays, (std::array<std::int32_t, 6>{7, 8, 9, 10, 11, -12}));
  EXPECT_EQ(r.name, "Dusk Moth");
  EXPECT_EQ(r.minDungeonCode, 13);
  EXPECT_EQ(r.maxDungeonCode, 14);
  EXPECT_EQ(r.monsterLevel, 0x1516);
  EXPECT_EQ(r.minHitPoints, 17);
  EXPECT_EQ(r.maxHitPoints, -18);
  EXPECT_EQ(r.aiType, 0x12345619u);
  EXPECT_EQ(r.AiType(), 0x19u);
  EXPECT_EQ(r.Iq(), 0xABCDEFu);
  EXPECT_EQ(r.aiSubtype, 21);
  EXPECT_EQ(r.toHit, 22);
  EXPECT_EQ(r.attackFrame, 23);
  EXPECT_EQ(r.minDamage, 24);
  EXPECT_EQ(r.maxDamage, 25);
  EXPECT_EQ(r.toHit2, 26);
  EXPECT_EQ(r.attackFrame2, 27);
  EXPECT_EQ(r.minDamage2, 28);
  EXPECT_EQ(r.maxDamage2, 29);
  EXPECT_EQ(r.armor, 230);
  EXPECT_EQ(r.monsterClass, 0x1F01);
  EXPECT_EQ(r.resistances, 0x3132);
  EXPECT_EQ(r.doomResistances, 0x3334);
  EXPECT_EQ(r.dropType, 0x3536);
  EXPECT_EQ(r.selectionOutline, 0x3738);
  EXPECT_EQ(r.experience, 0x39404142);
  EXPECT_EQ(prepared.monsterCount, 1u);
  EXPECT_EQ(prepared.maxDungeonLevel, 8u);  // 14 div 2 + 1
  EXPECT_EQ(prepared.maxMonsterLevel, 0x1516u);
}

TEST_F(MonsterTablesTest, TextsThatDoNotTranslateAreEmpty) {
  MonsterFields m;  // every address 0: no section covers it
  m.hasColorTranslation = 1;
  const PreparedMonsters prepared = Prepare({m}, {});
  ASSERT_EQ(prepared.monsters.size(), 1u);
  EXPECT_EQ(prepared.monsters[0].name, "");
  EXPECT_EQ(prepared.monsters[0].soundSet, "");
  EXPECT_EQ(prepared.monsters[0].colorTranslationFile, "");
  ASSERT_EQ(prepared.animationGroups.size(), 1u);
  EXPECT_EQ(prepared.animationGroups[0].animationFile, "");
}

TEST_F(MonsterTablesTest, GroupsFollowTheAddressNotTheText) {
  const std::uint32_t mudwalker = pe_.AddString("monsters\\mudwalker\\mudwalker%c.spr");
  const std::uint32_t mudwalkerCopy = pe_.AddString("monsters\\mudwalker\\mudwalker%c.spr");
  const std::uint32_t imp = pe_.AddString("monsters\\imp\\imp%c.spr");

  const PreparedMonsters prepared =
      Prepare({Named("Mudwalker", mudwalker), Named("Ashen Husk", mudwalkerCopy), Named("Pale Imp", imp),
               Named("Thornback", imp), Named("Old Mudwalker", mudwalker),
               Named("Grey Wisp", demogame::kUntranslatableVa)},
              {});

  ASSERT_EQ(prepared.monsters.size(), 6u);
  std::vector<std::uint32_t> groups;
  for (const MonsterRecord& m : prepared.monsters) groups.push_back(m.animationGroup);
  EXPECT_EQ(groups, (std::vector<std::uint32_t>{0, 1, 2, 2, 0, 3}));
  EXPECT_EQ(prepared.animationGroupCount, 4u);
  ASSERT_EQ(prepared.animationGroups.size(), 4u);
  EXPECT_EQ(prepared.animationGroups[0].animationFile, "monsters\\mudwalker\\mudwalker%c.spr");
  EXPECT_EQ(prepared.animationGroups[0].firstMonsterName, "Mudwalker");
  EXPECT_EQ(prepared.animationGroups[1].animationFile, "monsters\\mudwalker\\mudwalker%c.spr");
  EXPECT_EQ(prepared.animationGroups[1].firstMonsterName, "Ashen Husk");
  EXPECT_EQ(prepared.animationGroups[2].animationFile, "monsters\\imp\\imp%c.spr");
  EXPECT_EQ(prepared.animationGroups[2].firstMonsterName, "Pale Imp");
  EXPECT_EQ(prepared.animationGroups[3].animationFile, "");
  EXPECT_EQ(prepared.animationGroups[3].firstMonsterName, "Grey Wisp");
}

TEST_F(MonsterTablesTest, MaximaCoverMonsterAndBossLevels) {
  struct Case {
    std::uint8_t maxDungeonCode;
    std::uint16_t monsterLevel;
    std::uint16_t bossLevel;
    std::uint32_t maxDungeonLevel;
  };
  const Case cases[] = {
      {0, 0, 0, 1},      // code 0 is level 1
      {1, 0, 0, 1},      // code 1 too
      {9, 3, 0, 5},      // 9 div 2 + 1
      {255, 7, 0, 128},  // the largest code
      {4, 2, 32, 32},    // a boss level of 32 counts
      {4, 2, 33, 3},     // 33 is a special boss: it counts as 0
      {4, 2, 0xFFFF, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "code " << int{c.maxDungeonCode} << ", boss level " << c.bossLevel);
    pe_ = demogame::PeBuilder();
    MonsterFields m;
    m.maxDungeonCode = c.maxDungeonCode;
    m.monsterLevel = c.monsterLevel;
    BossFields b;
    b.dungeonLevel = c.bossLevel;
    const PreparedMonsters prepared = Prepare({m}, {b});
    EXPECT_EQ(prepared.maxDungeonLevel, c.maxDungeonLevel);
    EXPECT_EQ(prepared.maxMonsterLevel, c.monsterLevel);
  }
}

TEST_F(MonsterTablesTest, BossFieldsAreDecodedAndHighLevelsBecomeSpecial) {
  BossFields first;
  first.baseMonster = -7;
  first.name = pe_.AddString("Vornak");
  first.colorTranslation = pe_.AddString("Green");
  first.dungeonLevel = 4;
  first.hitPoints = 0xFEDC;
  first.aiType = 201;
  first.aiSubtype = 202;
  first.minDamage = 203;
  first.maxDamage = 204;
  first.resistances = 0x4005;
  first.packTrigger = 0x0506;
  first.packValue = -100;
  first.specialSound = 0x11223344;
  BossFields second;
  second.name = pe_.AddString("Ysolde");
  second.dungeonLevel = 33;

  const PreparedMonsters prepared = Prepare({}, {first, second});

  ASSERT_EQ(prepared.bosses.size(), 2u);
  const BossRecord& b = prepared.bosses[0];
  EXPECT_EQ(b.baseMonster, -7);
  EXPECT_EQ(b.name, "Vornak");
  EXPECT_EQ(b.colorTranslation, std::optional<std::string>("Green"));
  EXPECT_EQ(b.dungeonLevel, 4);
  EXPECT_EQ(b.hitPoints, 0xFEDC);
  EXPECT_EQ(b.aiType, 201);
  EXPECT_EQ(b.aiSubtype, 202);
  EXPECT_EQ(b.minDamage, 203);
  EXPECT_EQ(b.maxDamage, 204);
  EXPECT_EQ(b.resistances, 0x4005);
  EXPECT_EQ(b.packTrigger, 0x0506);
  EXPECT_EQ(b.packValue, -100);
  EXPECT_EQ(b.specialSound, 0x11223344);
  EXPECT_EQ(prepared.bosses[1].name, "Ysolde");
  EXPECT_EQ(prepared.bosses[1].colorTranslation, std::nullopt);
  EXPECT_EQ(prepared.bosses[1].dungeonLevel, 0);
  EXPECT_EQ(prepared.maxDungeonLevel, 4u);
}

TEST_F(MonsterTablesTest, AnEmptyMonsterTableGivesNoMonstersAndNoGroups) {
  BossFields b;
  b.name = pe_.AddString("Lonely");
  b.dungeonLevel = 2;
  const PreparedMonsters prepared = Prepare({}, {b});
  EXPECT_TRUE(prepared.monsters.empty());
  EXPECT_EQ(prepared.monsterCount, 0u);
  EXPECT_EQ(prepared.animationGroupCount, 0u);
  EXPECT_TRUE(prepared.animationGroups.empty());
  ASSERT_EQ(prepared.bosses.size(), 1u);
  EXPECT_EQ(prepared.maxDungeonLevel, 2u);
}

TEST(MonsterNameTables, ClassAndAnimationNames) {
  EXPECT_EQ(MonsterClassName(0), "Undead");
  EXPECT_EQ(MonsterClassName(1), "Demon");
  EXPECT_EQ(MonsterClassName(2), "Animal");
  EXPECT_EQ(MonsterClassName(3), "ERROR!");
  EXPECT_EQ(MonsterClassName(0xFFFF), "ERROR!");
  const char* const animations[] = {"Idle", "Walk", "Attack", "Get Hit", "Death", "Second Attack"};
  for (std::uint32_t i = 0; i < 6; ++i) EXPECT_EQ(AnimationName(i), animations[i]);
}

}  // namespace
}  // namespace gvde
