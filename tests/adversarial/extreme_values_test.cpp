// Whole runs on records whose numbers lie far outside their tables, and on the largest and
// negative values in every level, count and size field. The runs end with "Done", write the
// lists of the values that occur, and finish within the watchdog's bound.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "site/page_file.h"
#include "testkit/mini_game.h"

namespace gvde::adversarial {
namespace {

using testkit::EndedDone;
using testkit::MiniGame;
using testkit::MiniTables;
using testkit::RunRecord;
using testkit::SiteIsComplete;
using testkit::Watchdog;


constexpr std::int32_t kIntMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kIntMin = std::numeric_limits<std::int32_t>::min();
constexpr int kWatchdogSeconds = 120;

bool Contains(const std::string& text, const std::string& piece) {
  return text.find(piece) != std::string::npos;
}

TEST(NumbersOutsideTheirTables, BossesNamingMonstersThatDoNotExist) {
  const Watchdog watchdog(kWatchdogSeconds);
  MiniGame game;
  MiniTables tables = game.Ordinary();  // monsters 0 and 1
  auto boss = [&](std::int32_t base, std::uint16_t trigger, std::int32_t packValue) {
    demogame::BossFields b = game.Boss("Boss", base);
    b.packTrigger = trigger;
    b.packValue = packValue;
    return b;
  };
  // A base monster of -1 would be the boss table's terminator.
  tables.bosses = {
      boss(-2, 0, 0),      boss(kIntMax, 0, 0), boss(2, 0, 0),  // 2 is MonsterCount
      boss(kIntMin, 0, 0), boss(0, 1, -1),      boss(0, 1, kIntMax),
      boss(1, 1, 2),       boss(0, 1, 1),  // the last one is in range: it gets its picture
  };
  game.AddTables(tables);

  const RunRecord run = game.Run();
  ASSERT_TRUE(EndedDone(run));
  EXPECT_TRUE(SiteIsComplete(game.OutputDir()));
  std::vector<std::string> expected;
  for (int b = 0; b < 7; ++b)
    expected.push_back("Cannot write an image for boss #" + std::to_string(b) + ". Exit?");
  EXPECT_EQ(game.host.Questions(), expected);
  EXPECT_TRUE(game.Has("b7.png"));
  EXPECT_TRUE(Contains(game.Page("b1.htm"),
                       "#2147483647 (<a href=\"m2147483647.htm\" target=\"out\">ERROR!</a>, "
                       "<a href=\"ml0.htm\" target=\"nav\">level 0</a>)"));
  EXPECT_TRUE(
      Contains(game.Page("b3.htm"), "#-2147483648 (<a href=\"m-2147483648.htm\" target=\"out\">ERROR!</a>"));
  EXPECT_TRUE(
      Contains(game.Page("b5.htm"),
               "<br>Based on monster #2147483647 (<a href=\"m2147483647.htm\" target=\"out\">ERROR!</a>"));
  EXPECT_TRUE(
      Contains(game.Page("b6.htm"), "<br>Based on monster #2 (<a href=\"m2.htm\" target=\"out\">ERROR!</a>"));
}

TEST(NumbersOutsideTheirTables, BossesOfAnEmptyMonsterTable) {
  const Watchdog watchdog(kWatchdogSeconds);
  MiniGame game;
  MiniTables tables = game.Ordinary();
  tables.monsters.clear();
  game.AddTables(tables);

  const RunRecord run = game.Run();
  ASSERT_TRUE(EndedDone(run));
  EXPECT_TRUE(SiteIsComplete(game.OutputDir()));
  EXPECT_EQ(game.host.Questions(), (std::vector<std::string>{"Cannot write an image for boss #0. Exit?",
                                                             "Cannot write an image for boss #1. Exit?"}));
  EXPECT_TRUE(Contains(game.Page("b0.htm"), "#0 (<a href=\"m0.htm\" target=\"out\">ERROR!</a>"));
  EXPECT_FALSE(game.Has("m0.htm"));
}

TEST(NumbersOutsideTheirTables, SpellPictureAndEffectCodes) {
  const Watchdog watchdog(kWatchdogSeconds);
  MiniGame game;
  MiniTables tables = game.Ordinary();
  for (std::int32_t spell : {1, 2, 52, kIntMax, -1}) {
    demogame::ItemSpec item;
    item.name = "Staff";
    item.itemType = 10;
    item.spell = spell;
    tables.items.push_back(item);
  }
  demogame::UniqueSpec odd;
  odd.name = "Odd";
  odd.uniqueId = 255;  // no base item has it
  odd.effectCount = 0xFFFF;
  odd.effects = {{94, 1, 2},
                 {0xFFFFFFFF, kIntMin, kIntMax},
                 {66, kIntMin, 3},
                 {38, kIntMax, kIntMin},
                 {55, kIntMin, kIntMax},
                 {88, kIntMax, kIntMin}};
  demogame::UniqueSpec pictured = tables.uniques[0];
  pictured.effects = {{44, -1, 0}};
  demogame::UniqueSpec far = tables.uniques[0];
  far.effects = {{44, kIntMax, 0}, {39, kIntMin, kIntMin}};
  tables.uniques = {odd, pictured, far};
  tables.prefixes[0].effectCode = 94;
  tables.prefixes[1].effectCode = 0xFFFFFFFE;  // 0xFFFFFFFF there would end the prefixes
  tables.suffixes[0].effectCode = 66;
  tables.suffixes[0].effectParam1 = kIntMax;
  game.AddTables(tables);
  // The spell table is the file's last 58 bytes: spell 1 whole, spell 2's name field cut off.
  std::vector<std::uint8_t> spells(58, 0);
  demogame::PutU32(spells, 0, game.pe.AddString("Firebolt"));
  game.configuration.addresses.spellTable = game.AddAtSectionEnd(spells);

  const RunRecord run = game.Run();
  ASSERT_TRUE(EndedDone(run));
  EXPECT_TRUE(SiteIsComplete(game.OutputDir()));
  EXPECT_TRUE(Contains(game.Page("i2.htm"), "<p>Spell: Firebolt</p>\r\n"));
  for (int item = 3; item <= 6; ++item)
    EXPECT_TRUE(Contains(game.Page("i" + std::to_string(item) + ".htm"), "<p>Spell: &lt;NO STRING&gt;</p>\r\n"))
        << item;
  const std::string odd0 = game.Page("u0.htm");
  EXPECT_TRUE(Contains(odd0, "Unknown effect 94: 1...2"));
  EXPECT_TRUE(Contains(odd0, "Unknown effect -1: -2147483648...2147483647"));
  EXPECT_TRUE(Contains(odd0, "3 charges of &lt;NO STRING&gt;"));
  EXPECT_TRUE(Contains(game.Page("u1.htm"), "<img src=\"i-1.png\">"));
  EXPECT_TRUE(Contains(game.Page("u2.htm"), "<img src=\"i2147483647.png\">"));
  EXPECT_TRUE(Contains(game.Page("p0.htm"), "Unknown effect 94: 1...2"));
  EXPECT_TRUE(Contains(game.Page("p1.htm"), "Unknown effect -2: 1...2"));
  EXPECT_TRUE(Contains(game.Page("s0.htm"), "2 charges of &lt;NO STRING&gt;"));
  EXPECT_FALSE(game.Has("pe94.htm"));
}

// Records with the largest and negative values in every level, count and size field, one
// category per run, added to the ordinary small game.
class ExtremeValues : public ::testing::Test {
 protected:
  // Lays out the tables and runs; the run must end with "Done" and a complete site.
  void RunToCompleteSite() {
    game_.AddTables(tables_);
    ASSERT_TRUE(EndedDone(game_.Run()));
    EXPECT_TRUE(SiteIsComplete(game_.OutputDir()));
  }

  const Watchdog watchdog_{kWatchdogSeconds};
  MiniGame game_;
  MiniTables tables_ = game_.Ordinary();
};

TEST_F(ExtremeValues, ItemLevelsAndValues) {
  for (std::uint32_t level : {0x7FFFFFFFu, 0xFFFFFFFFu, 0x80000000u, 0u}) {
    demogame::ItemSpec item;
    item.name = "Heavy";
    item.level = level;
    item.durability = kIntMin;
    item.minDamage = kIntMin;
    item.maxDamage = kIntMax;
    item.minArmor = kIntMax;
    item.maxArmor = kIntMin;
    item.reqStr = item.reqMag = item.reqDex = item.reqVit = 255;
    item.price = kIntMin;
    item.specialEffect = kIntMin;
    item.magicCode = -1;
    item.consumed = -1;
    item.dropKind = 0xFFFFFFFF;
    item.itemClass = item.equipLocation = item.itemType = 255;
    tables_.items.push_back(item);
  }
  ASSERT_NO_FATAL_FAILURE(RunToCompleteSite());
  EXPECT_EQ(game_.host.Questions(), std::vector<std::string>{});
  // Lists exist for exactly the values that occur, named by the signed text of the value.
  for (const char* page : {"il2147483647.htm", "il-1.htm", "il-2147483648.htm", "il0.htm"})
    EXPECT_TRUE(game_.Has(page)) << page;
}

TEST_F(ExtremeValues, UniqueLevelAndCounts) {
  demogame::UniqueSpec top = tables_.uniques[0];
  top.level = 255;
  top.uniqueId = 255;
  top.effectCount = 0xFFFF;
  top.price = kIntMin;
  tables_.uniques.push_back(top);
  ASSERT_NO_FATAL_FAILURE(RunToCompleteSite());
  EXPECT_EQ(game_.host.Questions(), std::vector<std::string>{});
  EXPECT_TRUE(game_.Has("ul255.htm"));
  EXPECT_FALSE(game_.Has("ul0.htm"));
}

TEST_F(ExtremeValues, MonsterSizesLevelsAndDungeonCodes) {
  // Monster 0 keeps its valid width; these widths cannot lay out the sprite's 8 pixels.
  const std::int32_t badWidths[] = {0, 3, kIntMax, -1, kIntMin, -4};
  for (std::int32_t width : badWidths) {
    demogame::MonsterFields m = game_.Monster("Wide");
    m.animationSize = width;
    m.seedingSize = kIntMin;
    m.frameCounts.fill(kIntMin);
    m.frameDelays.fill(kIntMax);
    m.monsterLevel = 0xFFFF;
    m.minDungeonCode = 0;
    m.maxDungeonCode = 255;
    m.minHitPoints = kIntMin;
    m.maxHitPoints = kIntMax;
    m.aiType = 0xFFFFFFFF;
    m.intelligence = 0xFFFFFFFF;
    m.monsterClass = 0xFFFF;
    m.resistances = m.doomResistances = 0xFFFF;
    m.dropType = m.selectionOutline = 0xFFFF;
    m.experience = kIntMin;
    m.toHit = m.attackFrame = m.minDamage = m.maxDamage = m.armor = 255;
    tables_.monsters.push_back(m);
  }
  demogame::MonsterFields reversed = game_.Monster("Backwards");
  reversed.minDungeonCode = 255;
  reversed.maxDungeonCode = 0;
  tables_.monsters.push_back(reversed);
  ASSERT_NO_FATAL_FAILURE(RunToCompleteSite());
  std::vector<std::string> expected;
  for (int m = 2; m < 8; ++m)
    expected.push_back("Cannot write an image for monster #" + std::to_string(m) + ". Exit?");
  EXPECT_EQ(game_.host.Questions(), expected);
  for (const char* page : {"ml65535.htm", "md128.htm", "md1.htm"}) EXPECT_TRUE(game_.Has(page)) << page;
  for (const char* page : {"md129.htm", "ml2.htm"}) EXPECT_FALSE(game_.Has(page)) << page;
}

TEST_F(ExtremeValues, BossLevelsAndValues) {
  for (std::uint16_t level : {std::uint16_t{0xFFFF}, std::uint16_t{32}, std::uint16_t{33}}) {
    demogame::BossFields b = game_.Boss("Deep", 0);
    b.dungeonLevel = level;
    b.hitPoints = 0xFFFF;
    b.aiType = b.aiSubtype = b.minDamage = b.maxDamage = 255;
    b.resistances = b.packTrigger = 0xFFFF;
    b.packValue = kIntMin;
    b.specialSound = kIntMin;
    tables_.bosses.push_back(b);
  }
  ASSERT_NO_FATAL_FAILURE(RunToCompleteSite());
  EXPECT_EQ(game_.host.Questions(), std::vector<std::string>{});
  EXPECT_TRUE(game_.Has("bd0.htm"));
  EXPECT_TRUE(game_.Has("bd32.htm"));
  EXPECT_FALSE(game_.Has("bd33.htm"));
  // Stored boss levels above 32 count as special.
  EXPECT_TRUE(Contains(game_.Page("b2.htm"), "<a href=\"bd0.htm\" target=\"nav\">special</a>"));
  EXPECT_TRUE(Contains(game_.Page("b3.htm"), "<a href=\"bd32.htm\" target=\"nav\">dungeon level: 32</a>"));
  EXPECT_TRUE(Contains(game_.Page("b4.htm"), "<a href=\"bd0.htm\" target=\"nav\">special</a>"));
}

TEST_F(ExtremeValues, AffixLevelsAndValues) {
  for (std::uint32_t level : {0xFFFFFFFFu, 0x7FFFFFFFu}) {
    demogame::AffixFields a = game_.Affix("Vast", level);
    a.effectCode = 38;
    a.effectParam1 = kIntMin;
    a.effectParam2 = kIntMax;
    a.itemClasses = 0xFFFFFFFF;
    a.group = 0xFFFFFFFF;
    a.inShops = 0xFFFFFFFF;
    a.minPrice = kIntMin;
    a.maxPrice = kIntMax;
    a.priceMultiplier = kIntMin;
    tables_.prefixes.push_back(a);
    tables_.suffixes.push_back(a);
  }
  ASSERT_NO_FATAL_FAILURE(RunToCompleteSite());
  EXPECT_EQ(game_.host.Questions(), std::vector<std::string>{});
  for (const char* page : {"pl-1.htm", "pl2147483647.htm", "sl-1.htm"}) EXPECT_TRUE(game_.Has(page)) << page;
}

}  // namespace
}  // namespace gvde::adversarial
