// Decoding and preparation of the base item and unique item tables, base-item lookup and the
// unique picture rule.
#include "game/item_records.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "demogame/game_tables.h"
#include "demogame/pe_builder.h"
#include "game/game_data.h"
#include "testkit/built_image.h"
#include "testkit/temp_dir.h"

namespace gvde {
namespace {

using demogame::ItemSpec;
using demogame::PeBuilder;
using demogame::UniqueSpec;

class TableTest : public ::testing::Test {
 protected:
  // Loads the built image and returns the file offset of the table at `va`.
  std::uint32_t Load(std::uint32_t va) {
    exe_ = testkit::LoadBuiltImage(pe_, dir_.File("GV.exe"));
    EXPECT_TRUE(exe_ && exe_->status == kExeOk);
    const std::optional<std::uint32_t> start = exe_ ? exe_->VAToPointer(va) : std::nullopt;
    EXPECT_TRUE(start.has_value());
    return start.value_or(0);
  }
  PreparedItems Items(const std::vector<ItemSpec>& items) {
    const std::uint32_t va = demogame::AddItemTable(pe_, items);
    const std::uint32_t start = Load(va);
    return PrepareItemTable(*exe_, start);
  }
  PreparedUniques Uniques(const std::vector<UniqueSpec>& uniques) {
    const std::uint32_t va = demogame::AddUniqueTable(pe_, uniques);
    const std::uint32_t start = Load(va);
    return PrepareUniqueTable(*exe_, start);
  }

  testkit::TempDir dir_;
  PeBuilder pe_;
  std::unique_ptr<executable> exe_;
};

TEST_F(TableTest, ItemFieldsAreDecodedFromTheirOffsets) {
  ItemSpec source;
  source.dropKind = 2;
  source.itemClass = 3;
  source.equipLocation = 7;
  source.picture = 41;
  source.itemType = 13;
  source.uniqueId = 200;
  source.name = "Amulet";
  source.magicName = "Charm";
  source.level = 0x01020304;
  source.durability = -5;
  source.minDamage = 6;
  source.maxDamage = 7;
  source.minArmor = 8;
  source.maxArmor = 9;
  source.reqStr = 250;
  source.reqMag = 11;
  source.reqDex = 12;
  source.reqVit = 13;
  source.specialEffect = 14;
  source.magicCode = -15;
  source.spell = 16;
  source.consumed = 17;
  source.price = 0x7FFFFFFF;

  const PreparedItems prepared = Items({source});

  ASSERT_EQ(prepared.records.size(), 1u);
  const ItemRecord& item = prepared.records[0];
  EXPECT_EQ(item.dropKind, 2u);
  EXPECT_EQ(item.itemClass, 3);
  EXPECT_EQ(item.equipLocation, 7);
  EXPECT_EQ(item.picture, 41);
  EXPECT_EQ(item.itemType, 13);
  EXPECT_EQ(item.uniqueId, 200);
  EXPECT_EQ(item.name, "Amulet");
  EXPECT_EQ(item.magicName, std::optional<std::string>("Charm"));
  EXPECT_EQ(item.level, 0x01020304u);
  EXPECT_EQ(item.durability, -5);
  EXPECT_EQ(item.minDamage, 6);
  EXPECT_EQ(item.maxDamage, 7);
  EXPECT_EQ(item.minArmor, 8);
  EXPECT_EQ(item.maxArmor, 9);
  EXPECT_EQ(item.reqStr, 250);
  EXPECT_EQ(item.reqMag, 11);
  EXPECT_EQ(item.reqDex, 12);
  EXPECT_EQ(item.reqVit, 13);
  EXPECT_EQ(item.specialEffect, 14);
  EXPECT_EQ(item.magicCode, -15);
  EXPECT_EQ(item.spell, 16);
  EXPECT_EQ(item.consumed, 17);
  EXPECT_EQ(item.price, 0x7FFFFFFF);
  EXPECT_EQ(prepared.maxItemLevel, 0x01020304u);
}

TEST_F(TableTest, FirstRecordTerminatorGivesNoItems) {
  const PreparedItems prepared = Items({});
  EXPECT_TRUE(prepared.records.empty());
  EXPECT_EQ(prepared.maxItemLevel, 0u);
}

TEST_F(TableTest, GoldAlwaysUsesPictureFour) {
  ItemSpec gold;
  gold.itemType = 11;
  gold.picture = 17;
  ItemSpec staff;
  staff.itemType = 10;
  staff.picture = 17;

  const PreparedItems prepared = Items({gold, staff});

  ASSERT_EQ(prepared.records.size(), 2u);
  EXPECT_EQ(prepared.records[0].picture, 4);
  EXPECT_EQ(prepared.records[1].picture, 17);
}

TEST_F(TableTest, UntranslatableTextsGiveEmptyNameAndAbsentMagicName) {
  ItemSpec source;
  source.name = std::nullopt;
  source.magicName = std::nullopt;
  ItemSpec emptyMagicName;
  emptyMagicName.magicName = "";

  const PreparedItems prepared = Items({source, emptyMagicName});

  ASSERT_EQ(prepared.records.size(), 2u);
  EXPECT_EQ(prepared.records[0].name, "");
  EXPECT_FALSE(prepared.records[0].magicName.has_value());
  EXPECT_EQ(prepared.records[1].magicName, std::optional<std::string>(""));
}

TEST_F(TableTest, MaxItemLevelComparesUnsigned) {
  std::vector<ItemSpec> sources(3);
  sources[0].level = 5;
  sources[1].level = 0x80000000;
  sources[2].level = 3;

  EXPECT_EQ(Items(sources).maxItemLevel, 0x80000000u);
}

TEST_F(TableTest, ItemTableRunningToTheEndOfTheFileEndsThere) {
  std::vector<std::uint8_t> table;
  for (const char* name : {"First", "Second"}) {
    ItemSpec source;
    source.name = name;
    const std::vector<std::uint8_t> record = demogame::EncodeItemRecord(source, pe_);
    table.insert(table.end(), record.begin(), record.end());
  }
  // Pad so that the table's last byte is the file's last byte (no terminator record).
  const std::uint32_t used = pe_.NextVA() - (pe_.imageBase + 0x1000);
  const std::uint32_t size = static_cast<std::uint32_t>(table.size());
  pe_.AddZeros((0x200 - (used + size) % 0x200) % 0x200);
  const std::uint32_t va = pe_.AddData(table);
  const std::uint32_t start = Load(va);
  ASSERT_TRUE(exe_);
  ASSERT_EQ(exe_->fileSize, start + size);

  const PreparedItems prepared = PrepareItemTable(*exe_, start);

  ASSERT_EQ(prepared.records.size(), 2u);
  EXPECT_EQ(prepared.records[0].name, "First");
  EXPECT_EQ(prepared.records[1].name, "Second");
}

TEST_F(TableTest, UniqueFieldsAndEffectEntriesAreDecoded) {
  UniqueSpec source;
  source.name = "Gladius";
  source.uniqueId = 201;
  source.level = 250;
  source.effectCount = 9;
  source.price = -100;
  source.effects = {{1, -2, 3}, {4, 5, 6}, {7, 8, 9}, {10, 11, 12}, {13, 14, 15}, {93, -16, 17}};

  const PreparedUniques prepared = Uniques({source});

  ASSERT_EQ(prepared.records.size(), 1u);
  const UniqueRecord& unique = prepared.records[0];
  EXPECT_EQ(unique.name, "Gladius");
  EXPECT_EQ(unique.uniqueId, 201);
  EXPECT_EQ(unique.level, 250);
  EXPECT_EQ(unique.effectCount, 9);
  EXPECT_EQ(unique.price, -100);
  for (std::size_t k = 0; k < 6; ++k) {
    EXPECT_EQ(unique.effects[k].code, source.effects[k].code) << k;
    EXPECT_EQ(unique.effects[k].param1, source.effects[k].param1) << k;
    EXPECT_EQ(unique.effects[k].param2, source.effects[k].param2) << k;
  }
  EXPECT_EQ(prepared.maxUniqueLevel, 250u);
  EXPECT_EQ(prepared.maxUniqueId, 201u);
}

TEST_F(TableTest, UniqueMaximaAndUntranslatableName) {
  std::vector<UniqueSpec> sources(3);
  sources[0].level = 4;
  sources[0].uniqueId = 30;
  sources[1].level = 9;
  sources[1].uniqueId = 2;
  sources[1].name = std::nullopt;
  sources[2].level = 1;
  sources[2].uniqueId = 7;

  const PreparedUniques prepared = Uniques(sources);

  ASSERT_EQ(prepared.records.size(), 3u);
  EXPECT_EQ(prepared.records[1].name, "");
  EXPECT_EQ(prepared.maxUniqueLevel, 9u);
  EXPECT_EQ(prepared.maxUniqueId, 30u);
}

TEST_F(TableTest, EmptyUniqueTable) {
  const PreparedUniques prepared = Uniques({});
  EXPECT_TRUE(prepared.records.empty());
  EXPECT_EQ(prepared.maxUniqueLevel, 0u);
  EXPECT_EQ(prepared.maxUniqueId, 0u);
}

TEST(EffectsUsed, IsEffectCountAtMostSix) {
  const std::vector<std::pair<std::uint16_t, std::uint32_t>> cases = {{0, 0}, {1, 1}, {6, 6}, {7, 6}, {9, 6}, {0xFFFF, 6}};
  for (const auto& [count, used] : cases) {
    UniqueRecord unique;
    unique.effectCount = count;
    EXPECT_EQ(EffectsUsed(unique), used) << count;
  }
}

TEST(BaseItem, IsTheFirstItemWithTheUniquesId) {
  GameData game;
  game.items.resize(4);
  game.items[0].uniqueId = 3;
  game.items[1].uniqueId = 5;
  game.items[2].uniqueId = 7;
  game.items[3].uniqueId = 5;
  RelateRecords(game);
  EXPECT_EQ(game.baseItemById[5], std::optional<std::uint32_t>(1));
  EXPECT_EQ(game.baseItemById[7], std::optional<std::uint32_t>(2));
  EXPECT_EQ(game.baseItemById[4], std::nullopt);
  RelateRecords(game);  // built again, not added to
  EXPECT_EQ(game.baseItemById[5], std::optional<std::uint32_t>(1));
}

TEST(UniquePicture, FirstUsedCode44EntryElseBasePicture) {
  ItemRecord base;
  base.picture = 12;
  struct Case {
    const char* what;
    std::uint16_t effectCount;
    std::vector<EffectEntry> effects;
    std::int32_t picture;
  };
  const std::vector<Case> cases = {
      {"no effects", 0, {}, 12},
      {"only code 44", 1, {{44, 33, 0}}, 33},
      {"code 44 after another", 2, {{0, 1, 2}, {44, 34, 0}}, 34},
      {"second code 44 changes nothing", 3, {{44, 35, 0}, {44, 99, 0}, {1, 1, 1}}, 35},
      {"code 44 beyond effectCount", 1, {{0, 1, 2}, {44, 36, 0}}, 12},
      {"count above six reads six", 9, {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {4, 0, 0}, {44, 37, 0}}, 37},
      {"code 44 in entry 6 with count 5", 5, {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {4, 0, 0}, {44, 38, 0}}, 12},
  };
  for (const Case& c : cases) {
    UniqueRecord unique;
    unique.effectCount = c.effectCount;
    for (std::size_t k = 0; k < c.effects.size(); ++k) unique.effects[k] = c.effects[k];
    EXPECT_EQ(UniquePicture(unique, base), c.picture) << c.what;
  }
}

}  // namespace
}  // namespace gvde
