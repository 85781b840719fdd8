#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "demogame/pe_builder.h"
#include "effects/effect_descriptions.h"
#include "game/executable.h"
#include "game/game_data.h"
#include "game/item_records.h"
#include "testkit/temp_dir.h"

namespace gvde {
namespace {

// An image with a spell table of 52 records; record k - 1 names "Spell k", except record 2
// whose name address points nowhere.
class SpellNameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    demogame::PeBuilder builder;
    std::vector<std::uint32_t> nameVas;
    for (int k = 1; k <= 52; ++k) nameVas.push_back(builder.AddString("Spell " + std::to_string(k)));
    std::vector<std::uint8_t> table(56 * 52, 0xAB);
    for (std::size_t i = 0; i < 52; ++i) demogame::PutU32(table, 56 * i, nameVas[i]);
    demogame::PutU32(table, 56 * 2, 0x00000010);
    spellTable = builder.AddData(table);

    const std::string path = dir.File("GV.exe");
    const std::vector<std::uint8_t> bytes = builder.Build();
    ASSERT_TRUE(testkit::WriteFileText(path, std::string(bytes.begin(), bytes.end())));
    exe = executable::Create(path);
    ASSERT_EQ(exe->status, kExeOk);
  }

  testkit::TempDir dir;
  std::unique_ptr<executable> exe;
  std::uint32_t spellTable = 0;

  // The names the run keeps for a spell table at `table`.
  GameData Game(std::uint32_t table) const {
    GameData game;
    game.spellNames = ReadSpellNames(*exe, table);
    return game;
  }
};

TEST_F(SpellNameTest, CodesOneTo52ReadTheRecordBefore) {
  const GameData game = Game(spellTable);
  EXPECT_EQ(game.SpellName(1), "Spell 1");
  EXPECT_EQ(game.SpellName(2), "Spell 2");
  EXPECT_EQ(game.SpellName(52), "Spell 52");
}

TEST_F(SpellNameTest, CodesOutsideTheTableHaveNoString) {
  const GameData game = Game(spellTable);
  EXPECT_EQ(game.SpellName(0), "<NO STRING>");
  EXPECT_EQ(game.SpellName(53), "<NO STRING>");
  EXPECT_EQ(game.SpellName(0xFFFFFFFF), "<NO STRING>");
  EXPECT_EQ(game.SpellName(0x80000001), "<NO STRING>");
}

TEST_F(SpellNameTest, UntranslatableAddressesHaveNoString) {
  EXPECT_EQ(Game(0x00000010).SpellName(1), "<NO STRING>");
  EXPECT_EQ(Game(0xFFFFFF00).SpellName(52), "<NO STRING>");
  EXPECT_EQ(Game(spellTable).SpellName(3), "<NO STRING>");  // its name address points nowhere
}

TEST_F(SpellNameTest, TableAddressIsUsedAsGiven) {
  // A table that starts one record later shifts every code by one.
  EXPECT_EQ(Game(spellTable + 56).SpellName(1), "Spell 2");
  EXPECT_EQ(Game(spellTable + 56).SpellName(51), "Spell 52");
}

// The text is plain: the pages escape it, the data document keeps it as it is.
TEST_F(SpellNameTest, ChargesEffectNamesTheSpell) {
  InitEffectFormatters();
  std::array<std::string, 94> names;
  names.fill("ignored");
  const GameData game = Game(spellTable);
  const EffectContext context{names, game};
  EXPECT_EQ(DescribeEffect(EffectEntry{66, 7, 40}, context), "40 charges of Spell 7");
  EXPECT_EQ(DescribeEffect(EffectEntry{66, 60, 40}, context), "40 charges of <NO STRING>");
  EXPECT_EQ(DescribeEffect(EffectEntry{66, 0, 40}, context), "40 charges of <NO STRING>");
  EXPECT_EQ(DescribeEffect(EffectEntry{66, -1, 1}, context), "1 charges of <NO STRING>");
}

}  // namespace
}  // namespace gvde
