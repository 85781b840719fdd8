#include "export/data_document.h"

#include <gtest/gtest.h>

#include <array>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "effects/effect_descriptions.h"
#include "testkit/temp_dir.h"

namespace gvde {
namespace {

using nlohmann::json;

class DataDocumentTest : public ::testing::Test {
 protected:
  DataDocumentTest() {
    InitEffectFormatters();
    effectNames_.fill("Effect");
    effectNames_[11] = "Vitality";

    ItemRecord sword;
    sword.name = "\311bony Blade";  // 0xC9: E with acute accent
    sword.uniqueId = 3;
    sword.picture = 7;
    sword.reqStr = 10;
    sword.reqDex = 20;
    ItemRecord gold;
    gold.name = "Gold";
    gold.picture = 4;
    game_.items = {sword, gold};

    UniqueRecord ownPicture;  // based on the sword, picture from its code-44 entry
    ownPicture.name = "Grim Reaver";
    ownPicture.uniqueId = 3;
    ownPicture.price = 100;
    ownPicture.effectCount = 3;
    ownPicture.effects[0] = {44, 9, 0};
    ownPicture.effects[1] = {11, 2, 3};
    ownPicture.effects[2] = {66, 0, 12};  // charges of a spell that has no name
    UniqueRecord noBase;
    noBase.name = "Lost";
    noBase.uniqueId = 200;
    game_.uniques = {ownPicture, noBase};

    MonsterRecord moth;
    moth.name = "Moth";
    moth.resistances = 0x09;
    game_.monsters = {moth, moth};
    BossRecord abbot;  // drawn like monster 1
    abbot.name = "Abbot";
    abbot.packTrigger = 1;
    abbot.packValue = 1;
    game_.bosses = {abbot};

    AffixRecord copper;
    copper.name = "Copper";
    copper.effect = {11, 24, 26};
    copper.itemClasses = 0x1010;
    copper.group = 0x10;
    game_.prefixes = {copper};
    game_.title = "Grimveil <Demo> & co";
    RelateRecords(game_);
  }

  std::string Text() {
    const std::string path = dir_.File("data.json");
    EXPECT_TRUE(WriteDataDocument(path, Sources()));
    return testkit::ReadFileText(path);
  }
  json Document() {
    const std::string text = Text();
    EXPECT_TRUE(text.ends_with("}\n"));
    return json::parse(text);
  }
  DataSources Sources() { return {game_, effectNames_, aiTypeNames_, pictures_}; }

  testkit::TempDir dir_;
  GameData game_;
  std::array<std::string, 94> effectNames_;
  std::vector<std::string> aiTypeNames_ = std::vector<std::string>(40, "AI");
  std::vector<std::string> pictures_ = {"data/m0.png", "data/i4.png", "data/i9.png"};
};

TEST_F(DataDocumentTest, RecordsCarryTheirPageTextsLinksAndPictures) {
  const json d = Document();
  EXPECT_EQ(d["format"], "gvde-data");
  EXPECT_EQ(d["version"], 1);
  EXPECT_EQ(d["title"], "Grimveil <Demo> & co");

  const json& sword = d["items"][0];
  EXPECT_EQ(sword["number"], 0);
  EXPECT_EQ(sword["name"], "\303\211bony Blade");
  EXPECT_EQ(sword["requirements"], "10 Str, 20 Dex");
  EXPECT_EQ(sword["uniques"], json::array({0}));
  EXPECT_EQ(sword["pictureFile"], nullptr);  // picture 7 was not written
  EXPECT_EQ(d["items"][1]["requirements"], nullptr);
  EXPECT_EQ(d["items"][1]["pictureFile"], "data/i4.png");

  const json& reaver = d["uniques"][0];
  EXPECT_EQ(reaver["baseItem"], 0);
  EXPECT_EQ(reaver["sellingPrice"], 3);
  EXPECT_EQ(reaver["picture"], 9);
  EXPECT_EQ(reaver["pictureFile"], "data/i9.png");
  EXPECT_EQ(reaver["effects"][0]["text"], nullptr);
  EXPECT_EQ(reaver["effects"][1]["text"], "+2...3% to Vitality");
  EXPECT_EQ(reaver["effects"][2]["text"], "12 charges of <NO STRING>");  // plain, as its page escapes it
  const json& lost = d["uniques"][1];
  EXPECT_EQ(lost["baseItem"], nullptr);
  EXPECT_EQ(lost["picture"], nullptr);
  EXPECT_EQ(lost["pictureFile"], nullptr);

  EXPECT_EQ(d["monsters"][0]["resistanceNames"], json::array({"Magic resistant", "Magic immune"}));
  EXPECT_EQ(d["monsters"][0]["bosses"], json::array({0}));
  EXPECT_EQ(d["monsters"][0]["pictureFile"], "data/m0.png");
  EXPECT_EQ(d["monsters"][1]["pictureFile"], nullptr);
  EXPECT_EQ(d["bosses"][0]["basedOnMonster"], 1);
  // Monster 1 has resistances in Horror and Purgatory only; the boss has none.
  EXPECT_EQ(d["bosses"][0]["resistanceComparison"], "same as base in Doom difficulty");

  const json& copper = d["prefixes"][0];
  EXPECT_EQ(copper["effectText"], "+24...26% to Vitality");
  EXPECT_EQ(copper["itemClassNames"], json::array({"Bow", "Weapon"}));
  EXPECT_EQ(copper["groupName"], "Group B");
  EXPECT_EQ(copper["cursed"], true);
  EXPECT_EQ(d["suffixes"], json::array());
}

// The document is written record by record; its layout must be the JSON library's own.
TEST_F(DataDocumentTest, LayoutIsTheLibrarysTwoSpaceIndentation) {
  const std::string text = Text();
  EXPECT_EQ(nlohmann::ordered_json::parse(text).dump(2) + "\n", text);
}

TEST_F(DataDocumentTest, ReplacesTheFileWholeOrLeavesIt) {
  testkit::TempDir dir;
  const std::string path = dir.File("data.json");
  ASSERT_TRUE(testkit::WriteFileText(path, "earlier"));
  ASSERT_TRUE(WriteDataDocument(path, Sources()));
  EXPECT_EQ(testkit::ReadFileText(path), Text());
  EXPECT_FALSE(testkit::FileExists(path + ".tmp"));

  // A directory in the way: the temporary file is written but cannot be renamed over it.
  const std::string blocked = dir.MakeSubdir("blocked.json");
  EXPECT_FALSE(WriteDataDocument(blocked, Sources()));
  EXPECT_FALSE(testkit::FileExists(blocked + ".tmp"));
  EXPECT_FALSE(WriteDataDocument(dir.File("missing/data.json"), Sources()));
}

}  // namespace
}  // namespace gvde
