// Monster pages data/m<N>.htm, their picture question, and the monster lists mb, mg, md, ml.
#include "site/monster_pages.h"

#include <gtest/gtest.h>

#include <filesystem>
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

class MonsterPagesTest : public testkit::SiteTest {
 protected:
  MonsterPagesTest() {
    run_.game.animationGroups = {{"monsters\\mudwalker\\mudwalker%c.spr", "Mudwalker"}};
  }


  static MonsterRecord Mudwalker() {
    MonsterRecord m;
    m.name = "Mudwalker";
    m.monsterLevel = 1;
    m.minDungeonCode = 4;
    m.maxDungeonCode = 9;
    m.minHitPoints = 4;
    m.maxHitPoints = 8;
    m.experience = 54;
    m.minDamage = 2;
    m.maxDamage = 5;
    m.toHit = 10;
    m.attackFrame = 8;
    m.secondAttackEnabled = 1;
    m.armor = 5;
    return m;
  }
  static constexpr const char* kAttacks =
      "<ul><li>Base Damage: 2-5<li>10% to hit<li>Frame 8</ul>"
      "<ul>Second attack<li>Base Damage: 0-0<li>0% to hit<li>Frame 0</ul>";
  // Mudwalker's page up to and including the armour line's "</p><p>".
  static std::string MudwalkerStart(const std::string& attacks = kAttacks) {
    return kHead +
           R"(<h3>0: Mudwalker (<a href="mb0.htm" target="nav">Undead</a>, <a href="ml1.htm" target="nav">level 1</a>))"
           R"(</h3><a href="mg0.htm" target="nav"><img src="m0.png"></a>)"
           R"(<p>May appear on dungeon level: <a href="md3.htm" target="nav">&nbsp;3&nbsp;</a>, )"
           R"(<a href="md4.htm" target="nav">&nbsp;4&nbsp;</a>, <a href="md5.htm" target="nav">&nbsp;5&nbsp;</a>)"
           "</p><p>Base HP: 4-8</p><p>54 XP</p>" +
           attacks + "<p>Armor: 5</p><p>";
  }

  static BossRecord Boss(std::int32_t baseMonster, const char* name) {
    BossRecord b;
    b.baseMonster = baseMonster;
    b.name = name;
    return b;
  }

  std::string WriteOne(const MonsterRecord& m) {
    run_.game.monsters = {m};
    EXPECT_TRUE(WritePages(MonsterCategory(run_)));
    return Data("m0.htm");
  }

};

TEST_F(MonsterPagesTest, PlainMonsterEndsAfterTheArmorLine) {
  EXPECT_EQ(WriteOne(Mudwalker()), MudwalkerStart() + "</p></body></html>");
  EXPECT_EQ(counts_[0], 1u);
  EXPECT_EQ(counts_['M'], 1u);
}

TEST_F(MonsterPagesTest, FullPageWithTechnicalInformation) {
  config_.aiTypeNames[5] = "Mudwalker AI";
  run_.technicalInfo = true;
  MonsterRecord m = Mudwalker();
  m.secondAttackEnabled = 0;
  m.minDamage2 = 3;
  m.maxDamage2 = 6;
  m.toHit2 = 40;
  m.attackFrame2 = 9;
  m.resistances = 0x09;
  m.doomResistances = 0x19;
  m.aiType = 261;  // only the low 8 bits count
  m.aiSubtype = 2;
  m.intelligence = 0x3FF;
  m.frameDelays = {1, 2, 3, 4, 5, 6};
  m.frameCounts = {10, 8, 12, 6, 16, 0};
  m.animationSize = 128;
  m.seedingSize = -1;
  m.soundSet = "Monsters\\Mudwalker\\Mudwalker";
  m.specialSounds = 7;
  m.hasColorTranslation = 1;
  m.colorTranslationFile = "Monsters\\Mudwalker\\Blue.TRN";
  m.dropType = 1;
  m.selectionOutline = 2;
  run_.game.monsters = {m, Mudwalker()};
  run_.game.bosses = {Boss(1, "Elsewhere"), Boss(0, "Krell"), Boss(2, "Nowhere"), Boss(0, "Murgo")};

  ASSERT_TRUE(WritePages(MonsterCategory(run_)));

  const std::string expected =
      MudwalkerStart(
          "<ul><li>Base Damage: 2-5<li>10% to hit<li>Frame 8</ul>"
          "<ul>Second attack (disabled)<li>Base Damage: 3-6<li>40% to hit<li>Frame 9</ul>") +
      "<i>Magic resistant</i>; <b>Magic immune</b></p><p>"
      "<i>Magic resistant</i>; <b>Magic immune</b>; <b>Fire immune</b> in Doom difficulty</p><p>"
      R"(Bosses:<br><a href="b1.htm" target="out">Krell</a><br><a href="b3.htm" target="out">Murgo</a>)"
      "</p><p>AI type: 5 (Mudwalker AI), subtype 2, IQ=3"
      "<br>Idle slowdown is 1, with 10 frames used<br>Walk slowdown is 2, with 8 frames used"
      "<br>Attack slowdown is 3, with 12 frames used<br>Get Hit slowdown is 4, with 6 frames used"
      "<br>Death slowdown is 5, with 16 frames used<br>Second Attack slowdown is 6, with 0 frames used"
      "<br>Animation size: 128<br>Seeding size: -1"
      R"(<br>Animation: monsters\mudwalker\mudwalker%c.spr (<a href="mg0.htm" target="nav">Mudwalker</a>))"
      "<br>Sound set: Monsters\\Mudwalker\\Mudwalker<br>Special sounds are enabled"
      "<br>Color translation: Monsters\\Mudwalker\\Blue.TRN<br>Drop type: 1<br>Selection outline: 2"
      "</p></body></html>";
  EXPECT_EQ(Data("m0.htm"), expected);
}

TEST_F(MonsterPagesTest, BossesWithoutTechnicalInformation) {
  run_.game.monsters = {Mudwalker()};
  run_.game.bosses = {Boss(0, "Krell"), Boss(-1, "Nobody")};
  ASSERT_TRUE(WritePages(MonsterCategory(run_)));
  EXPECT_EQ(Data("m0.htm"),
            MudwalkerStart() + R"(Bosses:<br><a href="b0.htm" target="out">Krell</a></p></body></html>)");
}

TEST_F(MonsterPagesTest, PiecesThatDependOnValues) {
  struct Case {
    const char* what;
    void (*change)(MonsterRecord&);
    std::string expectedPart;
  };
  const std::vector<Case> cases = {
      {"first level above the last",
       [](MonsterRecord& m) {
         m.minDungeonCode = 10;
         m.maxDungeonCode = 2;
       },
       "May appear on dungeon level: </p><p>Base HP: "},
      {"codes 0 and 1 are level 1",
       [](MonsterRecord& m) {
         m.minDungeonCode = 0;
         m.maxDungeonCode = 1;
       },
       R"(level: <a href="md1.htm" target="nav">&nbsp;1&nbsp;</a></p>)"},
      {"code 255 is level 128",
       [](MonsterRecord& m) {
         m.minDungeonCode = 255;
         m.maxDungeonCode = 255;
       },
       R"(level: <a href="md128.htm" target="nav">&nbsp;128&nbsp;</a></p>)"},
      {"class above 2", [](MonsterRecord& m) { m.monsterClass = 3; },
       R"((<a href="mb3.htm" target="nav">ERROR!</a>, )"},
      {"every resistance, in order", [](MonsterRecord& m) { m.resistances = m.doomResistances = 0xFF; },
       "<p>Armor: 5</p><p><i>Magic resistant</i>; <b>Magic immune</b>; <i>Fire resistant</i>; "
       "<b>Fire immune</b>; <i>Lightning resistant</i>; <b>Lightning immune</b></p><p></p></body></html>"},
      {"equal low bits: no Doom part",
       [](MonsterRecord& m) {
         m.resistances = 0x44;
         m.doomResistances = 0x04;
       },
       "<p>Armor: 5</p><p><i>Lightning resistant</i></p><p></p></body></html>"},
      {"Doom without flags writes nothing",
       [](MonsterRecord& m) {
         m.resistances = 0x02;
         m.doomResistances = 0x40;
       },
       "<p>Armor: 5</p><p><i>Fire resistant</i></p><p></p></body></html>"},
      {"only Doom resistances", [](MonsterRecord& m) { m.doomResistances = 0x20; },
       "<p>Armor: 5</p><p><b>Lightning immune</b> in Doom difficulty</p><p></p></body></html>"},
  };
  for (const Case& c : cases) {
    MonsterRecord m = Mudwalker();
    c.change(m);
    const std::string page = WriteOne(m);
    EXPECT_NE(page.find(c.expectedPart), std::string::npos) << c.what << "\n" << page;
  }
}

TEST_F(MonsterPagesTest, TechnicalPiecesThatDependOnValues) {
  run_.technicalInfo = true;
  config_.aiTypeNames[39] = "Last";
  struct Case {
    const char* what;
    void (*change)(MonsterRecord&);
    std::string expectedPart;
  };
  const std::vector<Case> cases = {
      {"no boss: AI type right after the armor line", [](MonsterRecord&) {},
       "<p>Armor: 5</p><p>AI type: 0 (), subtype 0, IQ=0<br>Idle"},
      {"AI type 39 has a name", [](MonsterRecord& m) { m.aiType = 39; }, "AI type: 39 (Last), "},
      {"AI type 40 has none", [](MonsterRecord& m) { m.aiType = 40; }, "AI type: 40 (ERROR!), "},
      {"AI type 255", [](MonsterRecord& m) { m.aiType = 0xFFFFFFFF; }, "AI type: 255 (ERROR!), "},
      {"sounds disabled, no colour translation", [](MonsterRecord& m) { m.colorTranslationFile = "unused"; },
       "<br>Special sounds are disabled<br>Drop type: 0<br>Selection outline: 0</p></body></html>"},
      {"any non-zero special sounds", [](MonsterRecord& m) { m.specialSounds = 0x80000000; },
       "Special sounds are enabled<br>Drop type"},
  };
  for (const Case& c : cases) {
    MonsterRecord m = Mudwalker();
    c.change(m);
    const std::string page = WriteOne(m);
    EXPECT_NE(page.find(c.expectedPart), std::string::npos) << c.what << "\n" << page;
  }
}

TEST_F(MonsterPagesTest, ResistanceListReportsWhetherItWroteAnything) {
  PageFile page;
  EXPECT_FALSE(WriteResistanceList(page, 0xFFC0));
  EXPECT_TRUE(WriteResistanceList(page, 0x30));
  EXPECT_EQ(page.Text(), "<b>Fire immune</b>; <b>Lightning immune</b>");
}

// The archives are not open, so every picture fails and the question is asked.
TEST_F(MonsterPagesTest, NoToThePictureQuestionGoesOn) {
  run_.game.monsters = {Mudwalker(), Mudwalker(), Mudwalker()};
  ASSERT_TRUE(WritePages(MonsterCategory(run_)));
  EXPECT_EQ(host_.Questions(), (std::vector<std::string>{"Cannot write an image for monster #0. Exit?",
                                                         "Cannot write an image for monster #1. Exit?",
                                                         "Cannot write an image for monster #2. Exit?"}));
  EXPECT_TRUE(host_.Errors().empty());
  EXPECT_TRUE(DataExists("m2.htm"));
  EXPECT_FALSE(DataExists("m0.png"));
  EXPECT_EQ(counts_[0], 3u);
}

TEST_F(MonsterPagesTest, YesToThePictureQuestionEndsTheRun) {
  host_.SetAskExitAnswer(true);
  run_.game.monsters = {Mudwalker(), Mudwalker()};
  const Step step = WritePages(MonsterCategory(run_));
  EXPECT_FALSE(step);
  EXPECT_FALSE(step.Failed()) << "a Yes stops the run without a message";
  EXPECT_EQ(host_.Questions(), (std::vector<std::string>{"Cannot write an image for monster #0. Exit?"}));
  EXPECT_TRUE(host_.Errors().empty());
  EXPECT_TRUE(DataExists("m0.htm"));
  EXPECT_FALSE(DataExists("m1.htm"));
}

// With real archives: the group's sprite, the monster's own table only when it uses one,
// no boss table, and the monster's frame width.
TEST_F(MonsterPagesTest, PictureUsesTheGroupSpriteAndTheOwnTable) {
  std::vector<std::uint8_t> blueTable(256);
  for (std::size_t c = 0; c < 256; ++c) blueTable[c] = static_cast<std::uint8_t>(255 - c);
  const demogame::SpritePicture picture{3, 2, {1, 2, 3, 4, 5, 6}};
  ASSERT_TRUE(demogame::BuildMpq(dir_.File("gvdata.mor"), {{"monsters\\mudwalker\\mudwalkera.spr",
                                                           demogame::BuildMonsterFile({{picture}})},
                                                          {"monsters\\mudwalker\\blue.trn", blueTable}}));
  ASSERT_TRUE(demogame::BuildMpq(dir_.File("kelddat.mpq"), {{"unused.txt", {1}}}));
  ASSERT_TRUE(run_.archives.OpenArchives(dir_.WithSeparator()));
  MonsterRecord translated = Mudwalker();
  translated.animationSize = 3;
  translated.hasColorTranslation = 1;
  translated.colorTranslationFile = "monsters\\mudwalker\\blue.trn";
  MonsterRecord plain = translated;
  plain.hasColorTranslation = 0;
  run_.game.monsters = {translated, plain};
  ASSERT_TRUE(WritePages(MonsterCategory(run_)));

  ArchiveFiles files(run_.archives);
  for (const bool own : {true, false}) {
    const EncodedPicture expected = testkit::MonsterPicture(
        files, run_.png, "monsters\\mudwalker\\mudwalker%c.spr",
        own ? std::optional<std::string>("monsters\\mudwalker\\blue.trn") : std::nullopt, std::nullopt, 3);
    ASSERT_EQ(expected.outcome, EncodedPicture::Outcome::Encoded);
    EXPECT_EQ(Data(own ? "m0.png" : "m1.png"), std::string(expected.file.begin(), expected.file.end()));
  }
  EXPECT_NE(Data("m0.png"), Data("m1.png"));
  EXPECT_TRUE(host_.calls().empty());
}

// A picture made but not written: the question says which file and why.
TEST_F(MonsterPagesTest, PictureThatCannotBeWrittenIsNamed) {
  ASSERT_TRUE(demogame::BuildMpq(dir_.File("gvdata.mor"), {{"monsters\\mudwalker\\mudwalkera.spr",
                                                           demogame::BuildMonsterFile({{{1, 1, {7}}}})}}));
  ASSERT_TRUE(demogame::BuildMpq(dir_.File("kelddat.mpq"), {{"unused.txt", {1}}}));
  ASSERT_TRUE(run_.archives.OpenArchives(dir_.WithSeparator()));
  MonsterRecord m = Mudwalker();
  m.animationSize = 1;
  run_.game.monsters = {m};
  std::filesystem::create_directories(dir_.File("data/m0.png"));
  ASSERT_TRUE(WritePages(MonsterCategory(run_)));
  EXPECT_EQ(host_.Questions(), std::vector<std::string>{"Cannot write an image for monster #0. Exit?"});
  EXPECT_EQ(host_.QuestionDetails(), std::vector<std::string>{dir_.File("data/m0.png") + ": Is a directory"});
  EXPECT_EQ(run_.picturesNotMade, 1u);
}

TEST_F(MonsterPagesTest, PageThatCannotBeCreatedEndsTheRun) {
  LoseOutputFolder();
  run_.game.monsters = {Mudwalker()};
  EXPECT_EQ(testkit::FailureOf(WritePages(MonsterCategory(run_))), "Cannot write to file");
  EXPECT_TRUE(host_.Questions().empty());
}

TEST_F(MonsterPagesTest, AnEmptyTableWritesNothing) {
  run_.game.animationGroups.clear();
  ASSERT_TRUE(WritePages(MonsterCategory(run_)));
  EXPECT_TRUE(host_.calls().empty());
  EXPECT_EQ(counts_[0], 0u);
}

class MonsterListsTest : public MonsterPagesTest {
 protected:
  MonsterListsTest() {
    run_.game.animationGroups = {{"z%c", "Mudwalker"}, {"b%c", "moth"}, {"a%c", "Abyss"}};
    run_.game.monsters = {
        Monster("Mudwalker", 0, 0, 0, 2, 1),   // levels 1, 2
        Monster("moth", 2, 1, 4, 4, 0),        // level 3
        Monster("Ashen Husk", 0, 0, 1, 0, 1),  // level 1 only
        Monster("Abyss", 7, 2, 10, 2, 1),      // no class list, no dungeon level
    };
    run_.game.maxDungeonLevel = 5;  // a boss level: no monster there
    run_.game.maxMonsterLevel = 1;
  }
  static MonsterRecord Monster(const char* name, std::uint16_t monsterClass, std::uint32_t group,
                               std::uint8_t minCode, std::uint8_t maxCode, std::uint16_t level) {
    MonsterRecord m;
    m.name = name;
    m.monsterClass = monsterClass;
    m.animationGroup = group;
    m.minDungeonCode = minCode;
    m.maxDungeonCode = maxCode;
    m.monsterLevel = level;
    return m;
  }
  static std::string Entry(int number, const std::string& name) {
    return "<br><a href=\"m" + std::to_string(number) + ".htm\" target=\"out\">" + name + "</a>";
  }
  static std::string ListPage(const std::string& title, const std::string& entries) {
    return kHead + title + entries + "</body></html>";
  }

  const std::string kClassLinks =
      R"(<a href="mb0.htm" target="nav">Undead</a><br><a href="mb2.htm" target="nav">Animal</a>)";
  const std::string kGroupLinks =
      R"(<hr>Graphics:<br><a href="mg2.htm" target="nav">Abyss</a><br><a href="mg0.htm" target="nav">Mudwalker</a>)"
      R"(<br><a href="mg1.htm" target="nav">moth</a>)";
  const std::string kLevelLinks =
      R"(<hr><a href="md1.htm" target="nav">DLvl 1</a><br><a href="md2.htm" target="nav">DLvl 2</a>)"
      R"(<br><a href="md3.htm" target="nav">DLvl 3</a>)"
      R"(<hr><a href="ml0.htm" target="nav">MLvl 0</a><br><a href="ml1.htm" target="nav">MLvl 1</a>)";
};

TEST_F(MonsterListsTest, CategorySectionsAndListPages) {
  EXPECT_EQ(
      WriteLists(MonsterCategory(run_)),
      kClassLinks + kGroupLinks + kLevelLinks);

  EXPECT_EQ(Data("mb0.htm"), ListPage("Undead", Entry(2, "Ashen Husk") + Entry(0, "Mudwalker")));
  EXPECT_FALSE(DataExists("mb1.htm"));
  EXPECT_EQ(Data("mb2.htm"), ListPage("Animal", Entry(1, "moth")));
  EXPECT_FALSE(DataExists("mb7.htm"));
  EXPECT_EQ(Data("mg0.htm"),
            ListPage("Looking like<br>Mudwalker", Entry(2, "Ashen Husk") + Entry(0, "Mudwalker")));
  EXPECT_EQ(Data("mg1.htm"), ListPage("Looking like<br>moth", Entry(1, "moth")));
  EXPECT_EQ(Data("mg2.htm"), ListPage("Looking like<br>Abyss", Entry(3, "Abyss")));
  EXPECT_FALSE(DataExists("md0.htm"));
  EXPECT_EQ(Data("md1.htm"),
            ListPage("Monsters of Dungeon Level 1", Entry(2, "Ashen Husk") + Entry(0, "Mudwalker")));
  EXPECT_EQ(Data("md2.htm"), ListPage("Monsters of Dungeon Level 2", Entry(0, "Mudwalker")));
  EXPECT_EQ(Data("md3.htm"), ListPage("Monsters of Dungeon Level 3", Entry(1, "moth")));
  EXPECT_FALSE(DataExists("md4.htm"));
  EXPECT_EQ(Data("ml0.htm"), ListPage("Monster Level 0", Entry(1, "moth")));
  EXPECT_EQ(Data("ml1.htm"),
            ListPage("Monster Level 1", Entry(3, "Abyss") + Entry(2, "Ashen Husk") + Entry(0, "Mudwalker")));
  EXPECT_TRUE(host_.calls().empty());
}

TEST_F(MonsterListsTest, FirstClassLinkHasNoBreakWhicheverClassItIs) {
  for (MonsterRecord& m : run_.game.monsters) m.monsterClass = 1;
  EXPECT_TRUE(WriteLists(MonsterCategory(run_)).starts_with(R"(<a href="mb1.htm" target="nav">Demon</a><hr>Graphics:)"));
}

TEST_F(MonsterListsTest, GroupLinksComeBeforeTheGroupPagesAndClassPagesBeforeBoth) {
  dir_.MakeSubdir("data/mg1.htm");  // a directory in the way: that group page cannot be created
  // The category page is made whole before its list pages are written.
  EXPECT_EQ(WriteLists(MonsterCategory(run_), false), kClassLinks + kGroupLinks + kLevelLinks);
  EXPECT_EQ(listsFailure_, "Cannot write to file");
  EXPECT_TRUE(DataExists("mb2.htm"));
  EXPECT_TRUE(DataExists("mg0.htm"));
  EXPECT_FALSE(DataExists("mg2.htm"));
  EXPECT_FALSE(DataExists("md1.htm"));
}

TEST_F(MonsterListsTest, EmptyTableWritesOnlyTheSeparators) {
  run_.game.monsters.clear();
  run_.game.animationGroups.clear();
  run_.game.maxDungeonLevel = 0;
  run_.game.maxMonsterLevel = 0;
  EXPECT_EQ(WriteLists(MonsterCategory(run_)), "<hr>Graphics:<hr><hr>");
}

}  // namespace
}  // namespace gvde
