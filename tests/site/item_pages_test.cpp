// Item pages data/i<N>.htm and the item level lists data/il<L>.htm, byte for byte.
#include "site/item_pages.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "site/run_config.h"
#include "demogame/game_tables.h"
#include "site_fixture.h"
#include "testkit/built_image.h"

namespace gvde {
namespace {

const std::string& kHead = testkit::kExpectedPageHead;

class ItemPagesTest : public testkit::SiteTest {
 protected:
  // A club with nothing optional: uniqueId 9 matches no unique of the tests.
  static ItemRecord PlainItem() {
    ItemRecord item;
    item.name = "Club";
    item.level = 1;
    item.picture = 7;
    item.dropKind = 1;
    item.itemClass = 1;
    item.equipLocation = 1;
    item.itemType = 4;
    item.uniqueId = 9;
    item.price = 30;
    return item;
  }
  // The page of PlainItem as item 0 with `middle` between kind line and price line.
  static std::string PlainPage(const std::string& middle, const std::string& tail = "") {
    return kHead +
           R"(<h3>0: Club, <a href="il1.htm" target="nav">Level 1</a></h3><img src="i7.png">)"
           "<p>Droppable</p><p>One handed, Weapon (Blunt)</p>" +
           middle + "<p>Price: 30</p>\r\n" + tail + "</body></html>";
  }

  std::string WriteOne(const ItemRecord& item) {
    run_.game.items = {item};
    EXPECT_TRUE(WritePages(ItemCategory(run_)));
    return Data("i0.htm");
  }
};

// Every optional line present; the spell name comes from a spell table in a real image.
class FullItemPageTest : public ItemPagesTest {
 protected:
  FullItemPageTest() {
    demogame::PeBuilder pe;
    config_.addresses.spellTable = demogame::AddSpellTable(pe, {"Firebolt", "Healing"});
    const auto exe = testkit::LoadBuiltImage(pe, dir_.File("GV.exe"));
    run_.game.spellNames = ReadSpellNames(*exe, config_.addresses.spellTable);

    ItemRecord item;
    item.dropKind = 2;
    item.itemClass = 1;
    item.equipLocation = 2;
    item.picture = 12;
    item.itemType = 2;
    item.uniqueId = 5;
    item.name = "Great Axe";
    item.magicName = "Axe";
    item.level = 3;
    item.durability = 24;
    item.minDamage = 2;
    item.maxDamage = 6;
    item.minArmor = 1;
    item.maxArmor = 3;
    item.reqStr = 18;
    item.reqDex = 20;
    item.specialEffect = 7;
    item.magicCode = 9;
    item.spell = 2;
    item.consumed = 1;
    item.price = 120;
    run_.game.items = {PlainItem(), item};

    run_.game.uniques.resize(3);
    run_.game.uniques[0].name = "Cleaver";
    run_.game.uniques[0].uniqueId = 5;
    run_.game.uniques[1].name = "Other";
    run_.game.uniques[1].uniqueId = 6;
    run_.game.uniques[2].name = "Renderer";
    run_.game.uniques[2].uniqueId = 5;
  }

  const std::string kBody =
      kHead +
      R"(<h3>1: Great Axe, <a href="il3.htm" target="nav">Level 3</a></h3><img src="i12.png">)"
      "<p>2x Droppable</p><p>Two handed, Weapon (Axe)</p><p>Name for magical items: Axe</p>"
      "<p>Durability: 24</p><p>Damage: 2-6</p><p>Armor: 1-3</p><p>Requirements: 18 Str, 20 Dex</p>"
      "<p>Disappears when used</p><p>Price: 120</p>\r\n<p>Spell: Healing</p>\r\n"
      R"(<p>Uniques:<br><a href="u0.htm" target="out">Cleaver</a><br><a href="u2.htm" target="out">Renderer</a></p>)";
};

TEST_F(FullItemPageTest, WithoutTechnicalInformation) {
  ASSERT_TRUE(WritePages(ItemCategory(run_)));
  EXPECT_EQ(Data("i1.htm"), kBody + "</body></html>");
  EXPECT_TRUE(host_.calls().empty());
}

TEST_F(FullItemPageTest, WithTechnicalInformation) {
  run_.technicalInfo = true;
  ASSERT_TRUE(WritePages(ItemCategory(run_)));
  EXPECT_EQ(Data("i1.htm"),
            kBody + "<p>Unique ID: 5</p><p>Special effect: 7</p><p>Magic code: 9</p></body></html>");
}

TEST_F(FullItemPageTest, CountsEveryPageAndFirstByte) {
  ASSERT_TRUE(WritePages(ItemCategory(run_)));
  EXPECT_EQ(counts_[0], 2u);
  EXPECT_EQ(counts_['C'], 1u);
  EXPECT_EQ(counts_['G'], 1u);
  EXPECT_TRUE(DataExists("i0.htm"));
}

TEST_F(ItemPagesTest, PlainItemHasOnlyHeadKindPriceAndClose) {
  EXPECT_EQ(WriteOne(PlainItem()), PlainPage(""));
}

TEST_F(ItemPagesTest, TechnicalInformationWithoutMagicCode) {
  run_.technicalInfo = true;
  ItemRecord item = PlainItem();
  item.specialEffect = -3;
  EXPECT_EQ(WriteOne(item), PlainPage("", "<p>Unique ID: 9</p><p>Special effect: -3</p>"));
}

TEST_F(ItemPagesTest, OptionalLinesBeforeThePrice) {
  struct Case {
    const char* what;
    void (*change)(ItemRecord&);
    std::string middle;
  };
  const std::vector<Case> cases = {
      {"equal damage shows both", [](ItemRecord& i) { i.minDamage = i.maxDamage = 5; }, "<p>Damage: 5-5</p>"},
      {"only max damage", [](ItemRecord& i) { i.maxDamage = 7; }, "<p>Damage: 0-7</p>"},
      {"negative damage", [](ItemRecord& i) { i.minDamage = -3; }, "<p>Damage: -3-0</p>"},
      {"equal armor shows one", [](ItemRecord& i) { i.minArmor = i.maxArmor = 5; }, "<p>Armor: 5</p>"},
      {"only max armor", [](ItemRecord& i) { i.maxArmor = 4; }, "<p>Armor: 0-4</p>"},
      {"only min armor", [](ItemRecord& i) { i.minArmor = 4; }, "<p>Armor: 4-0</p>"},
      {"only dexterity", [](ItemRecord& i) { i.reqDex = 30; }, "<p>Requirements: 30 Dex</p>"},
      {"strength and vitality", [](ItemRecord& i) { i.reqStr = 25; i.reqVit = 200; },
       "<p>Requirements: 25 Str, 200 Vit</p>"},
      {"all requirements", [](ItemRecord& i) { i.reqStr = 1; i.reqMag = 2; i.reqDex = 3; i.reqVit = 4; },
       "<p>Requirements: 1 Str, 2 Mag, 3 Dex, 4 Vit</p>"},
      {"only magic", [](ItemRecord& i) { i.reqMag = 255; }, "<p>Requirements: 255 Mag</p>"},
      {"durability", [](ItemRecord& i) { i.durability = -1; }, "<p>Durability: -1</p>"},
      {"empty magical name", [](ItemRecord& i) { i.magicName = ""; }, "<p>Name for magical items: </p>"},
      {"consumed", [](ItemRecord& i) { i.consumed = -1; }, "<p>Disappears when used</p>"},
      {"in order", [](ItemRecord& i) { i.consumed = 1; i.reqVit = 1; i.minArmor = 1; i.minDamage = 1; i.durability = 1; },
       "<p>Durability: 1</p><p>Damage: 1-0</p><p>Armor: 1-0</p><p>Requirements: 1 Vit</p>"
       "<p>Disappears when used</p>"},
  };
  for (const Case& c : cases) {
    ItemRecord item = PlainItem();
    c.change(item);
    EXPECT_EQ(WriteOne(item), PlainPage(c.middle)) << c.what;
  }
}

TEST_F(ItemPagesTest, SpellCodesThatNameNoSpell) {
  run_.game.spellNames.fill("Firebolt");
  for (const std::int32_t spell : {53, 0x7FFFFFFF, -1}) {
    ItemRecord item = PlainItem();
    item.spell = spell;
    EXPECT_EQ(WriteOne(item), PlainPage("", "<p>Spell: &lt;NO STRING&gt;</p>\r\n")) << spell;
  }
}

TEST_F(ItemPagesTest, ValuesOutsideTheNameTablesShowError) {
  ItemRecord item = PlainItem();
  item.dropKind = 3;
  item.itemClass = 0;
  item.equipLocation = 8;
  item.itemType = 14;
  EXPECT_EQ(WriteOne(item), kHead +
                                R"(<h3>0: Club, <a href="il1.htm" target="nav">Level 1</a></h3><img src="i7.png">)"
                                "<p>ERROR!</p><p>ERROR!, ERROR! (ERROR!)</p><p>Price: 30</p>\r\n</body></html>");
}

TEST_F(ItemPagesTest, UnsignedLevelAndNegativeNumbersPrintSigned) {
  ItemRecord item = PlainItem();
  item.level = 0xFFFFFFFF;
  item.picture = -2;
  item.price = -30;
  EXPECT_EQ(WriteOne(item), kHead +
                                R"(<h3>0: Club, <a href="il-1.htm" target="nav">Level -1</a></h3><img src="i-2.png">)"
                                "<p>Droppable</p><p>One handed, Weapon (Blunt)</p><p>Price: -30</p>\r\n</body></html>");
}

TEST_F(ItemPagesTest, EmptyNameCountsAsPageOnly) {
  ItemRecord item = PlainItem();
  item.name = "";
  run_.game.items = {item, PlainItem()};
  ASSERT_TRUE(WritePages(ItemCategory(run_)));
  EXPECT_EQ(counts_[0], 2u);
  EXPECT_EQ(counts_['C'], 1u);
}

TEST_F(ItemPagesTest, UncreatablePageStopsTheRun) {
  LoseOutputFolder();
  run_.game.items = {PlainItem(), PlainItem()};
  EXPECT_EQ(testkit::FailureOf(WritePages(ItemCategory(run_))), "Cannot write to file");
  EXPECT_EQ(counts_[0], 1u) << "the second page is not made";
}

TEST_F(ItemPagesTest, LevelListsForTheLevelsThatOccur) {
  const std::vector<std::pair<const char*, std::uint32_t>> items = {
      {"Bone", 2}, {"Axe", 2}, {"axe", 0}, {"Axe", 2}, {"Huge", 0xFFFFFFFF}};
  for (const auto& [name, level] : items) {
    ItemRecord item;
    item.name = name;
    item.level = level;
    run_.game.items.push_back(item);
  }

  EXPECT_EQ(WriteLists(ItemCategory(run_)),
            R"(<a href="il0.htm" target="nav">Level 0</a><br><a href="il2.htm" target="nav">Level 2</a>)"
            R"(<br><a href="il-1.htm" target="nav">Level -1</a>)");
  EXPECT_EQ(Data("il0.htm"), kHead + R"(Item Level 0<br><a href="i2.htm" target="out">axe</a></body></html>)");
  EXPECT_EQ(Data("il2.htm"), kHead + R"(Item Level 2<br><a href="i1.htm" target="out">Axe</a>)"
                                     R"(<br><a href="i3.htm" target="out">Axe</a>)"
                                     R"(<br><a href="i0.htm" target="out">Bone</a></body></html>)");
  EXPECT_EQ(Data("il-1.htm"), kHead + R"(Item Level -1<br><a href="i4.htm" target="out">Huge</a></body></html>)");
  EXPECT_FALSE(DataExists("il1.htm"));
  EXPECT_TRUE(host_.calls().empty());
}

TEST_F(ItemPagesTest, NoItemsNoLevelLinks) { EXPECT_EQ(WriteLists(ItemCategory(run_)), ""); }

TEST_F(ItemPagesTest, EveryLinkIsMadeBeforeAListFileFails) {
  LoseOutputFolder();
  ItemRecord item = PlainItem();
  run_.game.items = {item, item};
  run_.game.items[1].level = 2;

  EXPECT_EQ(WriteLists(ItemCategory(run_), false),
            R"(<a href="il1.htm" target="nav">Level 1</a><br><a href="il2.htm" target="nav">Level 2</a>)");
  EXPECT_EQ(listsFailure_, "Cannot write to file");
}

}  // namespace
}  // namespace gvde
