#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "demogame/pe_builder.h"
#include "effects/effect_descriptions.h"
#include "game/executable.h"
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
};

TEST_F(SpellNameTest, CodesOneTo52ReadTheRecordBefore) {
  EXPECT_EQ(SpellName(*exe, spellTable, 1), "Spell 1");
  EXPECT_EQ(SpellName(*exe, spellTable, 2), "Spell 2");
  EXPECT_EQ(SpellName(*exe, spellTable, 52), "Spell 52");
}

TEST_F(SpellNameTest, CodesOutsideTheTableHaveNoString) {
  EXPECT_EQ(SpellName(*exe, spellTable, 0), "<NO STRING>");
  EXPECT_EQ(SpellName(*exe, spellTable, 53), "<NO STRING>");
  EXPECT_EQ(SpellName(*exe, spellTable, 0xFFFFFFFF), "<NO STRING>");
  EXPECT_EQ(SpellName(*exe, spellTable, 0x80000001), "<NO STRING>");
}

TEST_F(SpellNameTest, UntranslatableAddressesHaveNoString) {
  EXPECT_EQ(SpellName(*exe, 0x00000010, 1), "<NO STRING>");
  EXPECT_EQ(SpellName(*exe, 0xFFFFFF00, 52), "<NO STRING>");
  EXPECT_EQ(SpellName(*exe, spellTable, 3), "<NO STRING>");  // its name address points nowhere
}

TEST_F(SpellNameTest, TableAddressIsUsedAsGiven) {
  // A table that starts one record later shifts every code by one.
  EXPECT_EQ(SpellName(*exe, spellTable + 56, 1), "Spell 2");
  EXPECT_EQ(SpellName(*exe, spellTable + 56, 51), "Spell 52");
}

TEST_F(SpellNameTest, ChargesEffectNamesTheSpell) {
  InitEffectFormatters();
  std::array<std::string, 94> names;
  names.fill("ignored");
  const EffectContext context{names, *exe, spellTable};
  EXPECT_EQ(DescribeEffect(EffectEntry{66, 7, 40}, context), "40 charges of Spell 7");
  EXPECT_EQ(DescribeEffect(EffectEntry{66, 60, 40}, context), "40 charges of &lt;NO STRING&gt;");
  EXPECT_EQ(DescribeEffect(EffectEntry{66, 0, 40}, context), "40 charges of &lt;NO STRING&gt;");
  EXPECT_EQ(DescribeEffect(EffectEntry{66, -1, 1}, context), "1 charges of &lt;NO STRING&gt;");
}

}  // namespace
}  // namespace gvde
