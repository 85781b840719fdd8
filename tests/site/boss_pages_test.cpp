// Boss pages data/b<b>.htm, their pictures and questions, and the boss level lists bd<L>.
#include "site/boss_pages.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "image/sprites.h"
#include "site/archive_files.h"
#include "site/run_config.h"
#include "site_fixture.h"
#include "testkit/pictures.h"
#include "demogame/mpq_builder.h"
#include "demogame/sprite_encoders.h"

namespace gvde {
namespace {

const std::string& kHead = testkit::kExpectedPageHead;

class BossPagesTest : public testkit::SiteTest {
 protected:
  BossPagesTest() {
    run_.game.animationGroups = {{"monsters\\imp\\imp%c.spr", "Pale Imp"},
                            {"monsters\\thornback\\thornback%c.spr", "Thornback"}};
    run_.game.monsters = {Monster("Pale Imp", 1, 0x01, 0x09, 0), Monster("Thornback", 3, 0x02, 0x12, 1)};
  }

  static MonsterRecord Monster(const char* name, std::uint16_t level, std::uint16_t resistances,
                               std::uint16_t doomResistances, std::uint32_t group) {
    MonsterRecord m;
    m.name = name;
    m.monsterLevel = level;
    m.resistances = resistances;
    m.doomResistances = doomResistances;
    m.animationGroup = group;
    m.animationSize = 2;
    return m;
  }
  static BossRecord Abbot() {
    BossRecord b;
    b.name = "Abbot";
    b.dungeonLevel = 2;
    b.hitPoints = 100;
    b.minDamage = 4;
    b.maxDamage = 8;
    b.resistances = 0x01;
    return b;
  }
  // Writes `bosses` and returns the page of boss `number`.
  std::string Page(const std::vector<BossRecord>& bosses, std::uint32_t number = 0) {
    run_.game.bosses = bosses;
    EXPECT_TRUE(WritePages(BossCategory(run_)));
    return Data("b" + std::to_string(number) + ".htm");
  }

};

const std::string kAbbotBase =
    R"(<p>Boss of monsters #0 (<a href="m0.htm" target="out">Pale Imp</a>, <a href="ml1.htm" target="nav">level 1</a>), )"
    R"(<a href="bd2.htm" target="nav">dungeon level: 2</a>)";

TEST_F(BossPagesTest, PageOfABossWithoutReferenceMonster) {
  EXPECT_EQ(Page({Abbot()}), kHead + R"(<h3>0: Abbot</h3><img src="b0.png">)" + kAbbotBase +
                                 "</p><p>HP: 100</p><p>Damage: 4-8</p><p><i>Magic resistant</i>"
                                 " (same as base in Horror/Purgatory difficulties)</p></body></html>");
  EXPECT_EQ(counts_[0], 1u);
  EXPECT_EQ(counts_['A'], 1u);
}

TEST_F(BossPagesTest, PageOfABossWithReferenceMonsterAndTechnicalInformation) {
  run_.technicalInfo = true;
  config_.aiTypeNames[5] = "Imp AI";
  BossRecord b = Abbot();
  b.packTrigger = 1;
  b.packValue = 1;
  b.resistances = 0x12;  // Thornback's Doom flags
  b.colorTranslation = "Gold";
  b.aiType = 5;
  b.aiSubtype = 3;
  b.specialSound = -9;
  EXPECT_EQ(
      Page({b}),
      kHead + R"(<h3>0: Abbot</h3><img src="b0.png">)" + kAbbotBase +
          R"(<br>Based on monster #1 (<a href="m1.htm" target="out">Thornback</a>, <a href="ml3.htm" target="nav">level 3</a>))"
          "</p><p>HP: 100</p><p>Damage: 4-8</p><p><i>Fire resistant</i>; <b>Fire immune</b>"
          " (same as base in Doom difficulty)</p><p>Color translation: Gold<br>AI type: 5 (Imp AI), "
          "subtype 3"
          "<br>Pack trigger: 1<br>Pack value: 1<br>Special sound: -9</p></body></html>");
}

TEST_F(BossPagesTest, ComparisonNotes) {
  struct Case {
    std::uint16_t bossFlags;
    std::uint16_t referenceFlags;
    std::uint16_t referenceDoomFlags;
    std::string expectedTail;
  };
  const std::vector<Case> cases = {
      {0x04, 0x04, 0x44, "<i>Lightning resistant</i> (same as base)</p></body></html>"},
      {0x41, 0x01, 0x09,
       "<i>Magic resistant</i> (same as base in Horror/Purgatory difficulties)</p></body></html>"},
      {0x09, 0x01, 0x09,
       "<i>Magic resistant</i>; <b>Magic immune</b> (same as base in Doom difficulty)</p></body></html>"},
      {0x02, 0x01, 0x09, "</p><p><i>Fire resistant</i></p></body></html>"},
      {0x00, 0x00, 0x00, "</p><p> (same as base)</p></body></html>"},
      {0x00, 0x01, 0x09, "Damage: 4-8</p><p></p></body></html>"},
  };
  for (const Case& c : cases) {
    run_.game.monsters[0].resistances = c.referenceFlags;
    run_.game.monsters[0].doomResistances = c.referenceDoomFlags;
    BossRecord b = Abbot();
    b.resistances = c.bossFlags;
    const std::string page = Page({b});
    EXPECT_TRUE(page.ends_with(c.expectedTail)) << page;
  }
}

TEST_F(BossPagesTest, WhenTheReferenceMonsterIsTheBaseMonster) {
  BossRecord samePack = Abbot();  // packValue equal to the base monster
  samePack.packTrigger = 1;
  samePack.packValue = 0;
  BossRecord secondBoss = Abbot();  // boss number 1 never has another reference monster
  secondBoss.packTrigger = 1;
  secondBoss.packValue = 1;
  BossRecord otherTrigger = Abbot();
  otherTrigger.packTrigger = 2;
  otherTrigger.packValue = 1;
  run_.game.bosses = {samePack, secondBoss, otherTrigger};
  ASSERT_TRUE(WritePages(BossCategory(run_)));
  for (const char* file : {"b0.htm", "b1.htm", "b2.htm"}) {
    const std::string page = Data(file);
    EXPECT_EQ(page.find("Based on"), std::string::npos) << file;
    // Compared with Pale Imp, not with Thornback.
    EXPECT_NE(page.find("(same as base in Horror/Purgatory difficulties)"), std::string::npos) << file;
  }
}

TEST_F(BossPagesTest, SpecialLevelAndTechnicalLineWithoutResistances) {
  run_.technicalInfo = true;
  BossRecord b = Abbot();
  b.dungeonLevel = 0;
  b.resistances = 0;
  b.aiType = 40;
  EXPECT_EQ(
      Page({b}),
      kHead +
          R"(<h3>0: Abbot</h3><img src="b0.png"><p>Boss of monsters #0 (<a href="m0.htm" target="out">)"
          R"(Pale Imp</a>, <a href="ml1.htm" target="nav">level 1</a>), <a href="bd0.htm" target="nav">)"
          "special</a></p><p>HP: 100</p><p>Damage: 4-8</p><p>Color translation: <br>AI type: 40 (ERROR!), "
          "subtype 0<br>Pack trigger: 0<br>Pack value: 0<br>Special sound: 0</p></body></html>");
}

TEST_F(BossPagesTest, MonsterNumbersOutsideTheTable) {
  BossRecord badBase = Abbot();
  badBase.baseMonster = 2;
  badBase.resistances = 0;
  BossRecord badReference = Abbot();
  badReference.baseMonster = -1;
  badReference.packTrigger = 1;
  badReference.packValue = 99;
  badReference.resistances = 0;
  run_.game.bosses = {badBase, Abbot(), badReference};
  ASSERT_TRUE(WritePages(BossCategory(run_)));
  EXPECT_NE(
      Data("b0.htm").find(
          R"(#2 (<a href="m2.htm" target="out">ERROR!</a>, <a href="ml0.htm" target="nav">level 0</a>), )"
          R"(<a href="bd2.htm")"),
      std::string::npos);
  // A reference outside the table has no flags: a boss without resistances equals it.
  EXPECT_NE(
      Data("b2.htm").find(
          R"(#-1 (<a href="m-1.htm" target="out">ERROR!</a>, <a href="ml0.htm" target="nav">level 0</a>))"
          R"(, <a href="bd2.htm" target="nav">dungeon level: 2</a><br>Based on monster #99 )"
          R"((<a href="m99.htm" target="out">ERROR!</a>, <a href="ml0.htm" target="nav">level 0</a>))"
          "</p><p>HP: 100</p><p>Damage: 4-8</p><p> (same as base)</p>"),
      std::string::npos);
  EXPECT_EQ(host_.Questions(), (std::vector<std::string>{"Cannot write an image for boss #0. Exit?",
                                                         "Cannot write an image for boss #1. Exit?",
                                                         "Cannot write an image for boss #2. Exit?"}));
  // Why each: a monster outside the table; the archives are not open for the one inside it.
  EXPECT_EQ(host_.QuestionDetails(),
            (std::vector<std::string>{"its monster #2 is not in the monster table",
                                      "the sprite file monsters\\imp\\impa.spr is in neither archive or cannot be read",
                                      "its monster #-1 is not in the monster table"}));
  EXPECT_TRUE(host_.Errors().empty());
}

TEST_F(BossPagesTest, YesToThePictureQuestionEndsTheRun) {
  host_.SetAskExitAnswer(true);
  run_.game.bosses = {Abbot(), Abbot()};
  const Step step = WritePages(BossCategory(run_));
  EXPECT_FALSE(step);
  EXPECT_FALSE(step.Failed()) << "a Yes stops the run without a message";
  EXPECT_EQ(host_.Questions(), (std::vector<std::string>{"Cannot write an image for boss #0. Exit?"}));
  EXPECT_TRUE(DataExists("b0.htm"));
  EXPECT_FALSE(DataExists("b1.htm"));
}

TEST_F(BossPagesTest, PageThatCannotBeCreatedEndsTheRun) {
  LoseOutputFolder();
  run_.game.bosses = {Abbot()};
  EXPECT_EQ(testkit::FailureOf(WritePages(BossCategory(run_))), "Cannot write to file");
}

// With real archives: the picture comes from the reference monster's sprite, frame width and
// own table, recoloured by the boss's table.
TEST_F(BossPagesTest, PictureUsesTheReferenceMonster) {
  std::vector<std::uint8_t> redTable(256);
  std::vector<std::uint8_t> goldTable(256);
  for (std::size_t c = 0; c < 256; ++c) {
    redTable[c] = static_cast<std::uint8_t>(c + 1);
    goldTable[c] = static_cast<std::uint8_t>(c * 3);
  }
  const demogame::SpritePicture picture{2, 2, {1, 2, 3, 4}};
  ASSERT_TRUE(demogame::BuildMpq(dir_.File("gvdata.mor"), {{"monsters\\thornback\\thornbacka.spr",
                                                           demogame::BuildMonsterFile({{picture}})},
                                                          {"monsters\\thornback\\red.trn", redTable},
                                                          {"CF\\MD\\Gold.trn", goldTable}}));
  ASSERT_TRUE(demogame::BuildMpq(dir_.File("kelddat.mpq"), {{"unused.txt", {1}}}));
  ASSERT_TRUE(run_.archives.OpenArchives(dir_.WithSeparator()));
  run_.game.monsters[1].hasColorTranslation = 1;
  run_.game.monsters[1].colorTranslationFile = "monsters\\thornback\\red.trn";

  BossRecord b = Abbot();
  b.packTrigger = 1;
  b.packValue = 1;
  b.colorTranslation = "Gold";
  run_.game.bosses = {b, b};  // boss 1 uses the base monster, whose sprite is missing
  ASSERT_TRUE(WritePages(BossCategory(run_)));

  ArchiveFiles files(run_.archives);
  const EncodedPicture expected =
      testkit::MonsterPicture(files, run_.png, "monsters\\thornback\\thornback%c.spr",
                              std::string("monsters\\thornback\\red.trn"), std::string("Gold"), 2);
  ASSERT_EQ(expected.outcome, EncodedPicture::Outcome::Encoded);
  EXPECT_EQ(Data("b0.png"), std::string(expected.file.begin(), expected.file.end()));
  EXPECT_FALSE(DataExists("b1.png"));
  EXPECT_EQ(host_.Questions(), (std::vector<std::string>{"Cannot write an image for boss #1. Exit?"}));
}

class BossListsTest : public BossPagesTest {
 protected:
  static BossRecord AtLevel(const char* name, std::uint16_t level) {
    BossRecord b;
    b.name = name;
    b.dungeonLevel = level;
    return b;
  }
  static std::string Entry(int number, const std::string& name) {
    return "<br><a href=\"b" + std::to_string(number) + ".htm\" target=\"out\">" + name + "</a>";
  }
};

TEST_F(BossListsTest, SpecialFirstThenTheLevelsThatOccur) {
  run_.game.bosses = {AtLevel("Zed", 3), AtLevel("Abe", 0), AtLevel("Cat", 3), AtLevel("Dan", 1),
                 AtLevel("Bob", 0)};
  run_.game.maxDungeonLevel = 16;
  EXPECT_EQ(WriteLists(BossCategory(run_)),
            R"(<a href="bd0.htm" target="nav">Special</a><br><a href="bd1.htm" target="nav">DLvl 1</a>)"
            R"(<br><a href="bd3.htm" target="nav">DLvl 3</a>)");
  EXPECT_EQ(Data("bd0.htm"), kHead + "Special bosses" + Entry(1, "Abe") + Entry(4, "Bob") + "</body></html>");
  EXPECT_EQ(Data("bd1.htm"), kHead + "Bosses of Dungeon Level 1" + Entry(3, "Dan") + "</body></html>");
  EXPECT_EQ(Data("bd3.htm"),
            kHead + "Bosses of Dungeon Level 3" + Entry(2, "Cat") + Entry(0, "Zed") + "</body></html>");
  EXPECT_FALSE(DataExists("bd2.htm"));
}

TEST_F(BossListsTest, FirstLevelLinkHasNoBreakWithoutSpecialBosses) {
  run_.game.bosses = {AtLevel("Zed", 32)};
  run_.game.maxDungeonLevel = 32;
  EXPECT_EQ(WriteLists(BossCategory(run_)), R"(<a href="bd32.htm" target="nav">DLvl 32</a>)");
}

TEST_F(BossListsTest, ListThatCannotBeCreatedFails) {
  run_.game.bosses = {AtLevel("Zed", 3)};
  run_.game.maxDungeonLevel = 3;
  dir_.MakeSubdir("data/bd3.htm");
  EXPECT_EQ(WriteLists(BossCategory(run_), false), R"(<a href="bd3.htm" target="nav">DLvl 3</a>)");
  EXPECT_EQ(listsFailure_, "Cannot write to file");
}

}  // namespace
}  // namespace gvde
