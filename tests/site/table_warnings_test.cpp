// The run's warnings about its configuration: none for the demo game, odd records and all;
// one line per table that is plainly not the table Address.ini says it is.
#include "site/table_warnings.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "demogame/demo_game.h"
#include "game/table_evidence.h"
#include "testkit/temp_dir.h"

namespace gvde {
namespace {

class TableWarningsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(demogame::WriteDemoGame(dir_.path(), {}, &summary_));
    addresses_ = summary_.addresses;
  }
  GameData Game() {
    const std::unique_ptr<executable> exe = executable::Create(dir_.File("game/GV.exe"));
    const std::optional<TableStarts> starts = TranslateTableStarts(*exe, addresses_);
    EXPECT_TRUE(starts.has_value());
    return PrepareGameData(*exe, addresses_, starts.value_or(TableStarts{}));
  }
  std::string At(TableKey key) const { return std::string(KeyName(key)) + " at " + AddressText(AddressOf(addresses_, key)); }

  testkit::TempDir dir_;
  demogame::DemoSummary summary_;
  TableAddresses addresses_;
};

TEST_F(TableWarningsTest, APlausibleGameGetsNone) {
  GameData game = Game();
  EXPECT_EQ(TableWarnings(game, addresses_), std::vector<std::string>{});
  // Odd records: a fifth of the names empty, levels far out, unknown enumerations here and there.
  for (std::size_t i = 0; i < game.items.size(); i += 5) game.items[i].name.clear();
  for (std::size_t i = 0; i < game.monsters.size(); i += 3) game.monsters[i].monsterClass = 9;
  for (BossRecord& boss : game.bosses) boss.dungeonLevel = 60000;
  for (std::size_t i = 0; i < game.prefixes.size(); i += 4) game.prefixes[i].effect.code = 200;
  EXPECT_EQ(TableWarnings(game, addresses_), std::vector<std::string>{});
}

TEST_F(TableWarningsTest, OneLinePerPlainlyWrongTable) {
  addresses_.spellTable += 2;
  GameData game = Game();
  for (ItemRecord& item : game.items) item.name = "\x01";
  for (MonsterRecord& monster : game.monsters) monster.aiType = 99;
  game.prefixes.clear();
  game.suffixes.clear();
  const std::vector<std::string> expected = {
      At(TableKey::Item) + " does not look like the item table (0 of 165 names readable)",
      At(TableKey::Monster) + " does not look like the monster table (112 of 112 records out of range)",
      At(TableKey::Spell) + " does not look like the spell table (0 of 52 names readable)",
      At(TableKey::Affix) + " does not look like the affix table (no prefixes before its end marker)",
  };
  EXPECT_EQ(TableWarnings(game, addresses_), expected);
}

}  // namespace
}  // namespace gvde
