// Decoding of the affix table: the prefix run, the suffix run after its terminator, and
// the highest affix level over both.
#include "game/affix_records.h"

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

using demogame::AffixFields;

class AffixTableTest : public ::testing::Test {
 protected:
  PreparedAffixes PrepareAt(std::uint32_t va) {
    exe_ = testkit::LoadBuiltImage(pe_, dir_.File("GV.exe"));
    EXPECT_TRUE(exe_ && exe_->status == kExeOk);
    if (!exe_) return {};
    const auto start = exe_->VAToPointer(va);
    EXPECT_TRUE(start.has_value());
    return PrepareAffixTable(*exe_, start.value_or(0));
  }
  PreparedAffixes Prepare(const std::vector<AffixFields>& prefixes,
                          const std::vector<AffixFields>& suffixes) {
    return PrepareAt(demogame::AddAffixTable(pe_, prefixes, suffixes));
  }
  AffixFields Affix(const char* name, std::uint32_t level) {
    AffixFields a;
    a.name = pe_.AddString(name);
    a.level = level;
    return a;
  }

  testkit::TempDir dir_;
  demogame::PeBuilder pe_;
  std::unique_ptr<executable> exe_;
};

TEST_F(AffixTableTest, FieldsAreDecodedFromTheirOffsets) {
  AffixFields a;
  a.name = pe_.AddString("Gleaming");
  a.effectCode = 93;
  a.effectParam1 = -1;
  a.effectParam2 = 0x7FFFFFFF;
  a.level = 12;
  a.itemClasses = 0x101010;
  a.group = 0x10;
  a.unused = 0xDEADBEEF;
  a.inShops = 2;
  a.minPrice = 100;
  a.maxPrice = -200;
  a.priceMultiplier = 3;

  const PreparedAffixes prepared = Prepare({a}, {});

  ASSERT_EQ(prepared.prefixes.size(), 1u);
  const AffixRecord& r = prepared.prefixes[0];
  EXPECT_EQ(r.name, "Gleaming");
  EXPECT_EQ(r.effect.code, 93u);
  EXPECT_EQ(r.effect.param1, -1);
  EXPECT_EQ(r.effect.param2, 0x7FFFFFFF);
  EXPECT_EQ(r.level, 12u);
  EXPECT_EQ(r.itemClasses, 0x101010u);
  EXPECT_EQ(r.group, 0x10u);
  EXPECT_EQ(r.inShops, 2u);
  EXPECT_EQ(r.minPrice, 100);
  EXPECT_EQ(r.maxPrice, -200);
  EXPECT_EQ(r.priceMultiplier, 3);
  EXPECT_TRUE(prepared.suffixes.empty());
}

TEST_F(AffixTableTest, SuffixesFollowThePrefixTerminatorAndShareTheMaximum) {
  const PreparedAffixes prepared = Prepare({Affix("Sunlit", 3), Affix("Dusty", 1)},
                                           {Affix("of Pebbles", 7), Affix("of Rain", 0xFFFFFFFF)});

  ASSERT_EQ(prepared.prefixes.size(), 2u);
  EXPECT_EQ(prepared.prefixes[0].name, "Sunlit");
  EXPECT_EQ(prepared.prefixes[1].name, "Dusty");
  ASSERT_EQ(prepared.suffixes.size(), 2u);
  EXPECT_EQ(prepared.suffixes[0].name, "of Pebbles");
  EXPECT_EQ(prepared.suffixes[1].name, "of Rain");
  EXPECT_EQ(prepared.maxAffixLevel, 0xFFFFFFFFu);
}

TEST_F(AffixTableTest, AnEmptyPrefixRunStillHasItsSuffixes) {
  AffixFields unnamed;  // name address 0: no section covers it
  unnamed.level = 9;
  const PreparedAffixes prepared = Prepare({}, {Affix("of Reeds", 2), unnamed});
  EXPECT_TRUE(prepared.prefixes.empty());
  ASSERT_EQ(prepared.suffixes.size(), 2u);
  EXPECT_EQ(prepared.suffixes[0].name, "of Reeds");
  EXPECT_EQ(prepared.suffixes[1].name, "");
  EXPECT_EQ(prepared.maxAffixLevel, 9u);
}

TEST_F(AffixTableTest, APrefixRunWithoutTerminatorHasNoSuffixes) {
  // The last bytes of the data section: the run reaches the end of the file unterminated.
  const std::uint32_t va = pe_.AddData(demogame::EncodeAffix(Affix("Endless", 4)));
  const PreparedAffixes prepared = PrepareAt(va);
  ASSERT_FALSE(prepared.prefixes.empty());
  EXPECT_EQ(prepared.prefixes[0].name, "Endless");
  EXPECT_TRUE(prepared.suffixes.empty());
  EXPECT_EQ(prepared.maxAffixLevel, 4u);
}

TEST(AffixNameTables, ItemClassNames) {
  const char* const names[] = {"Jewelry", "Bow", "Staff", "Weapon", "Shield", "Armor"};
  for (std::uint32_t i = 0; i < 6; ++i) EXPECT_EQ(AffixItemClassName(i), names[i]);
}

}  // namespace
}  // namespace gvde
