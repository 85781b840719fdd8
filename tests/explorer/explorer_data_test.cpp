#include "explorer/explorer_data.h"

#include <gtest/gtest.h>

#include <array>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "effects/effect_descriptions.h"
#include "explorer/explorer_assets.h"
#include "explorer/explorer_files.h"

namespace gvde {
namespace {

using nlohmann::json;

class ExplorerDataTest : public ::testing::Test {
 protected:
  ExplorerDataTest() {
    InitEffectFormatters();
    effectNames_.fill("Effect");
    effectNames_[11] = "Vitality";

    ItemRecord sword;
    sword.name = "\311bony <Blade>";  // 0xC9: E with acute accent
    sword.itemType = 1;
    sword.uniqueId = 3;
    sword.level = 4;
    sword.minDamage = 2;
    sword.maxDamage = 9;
    sword.price = 250;
    sword.reqStr = 10;
    sword.reqDex = 20;
    game_.items = {sword, sword};

    UniqueRecord reaver;  // based on the sword; its picture entry is not an effect
    reaver.name = "Reaver";
    reaver.uniqueId = 3;
    reaver.effectCount = 3;
    reaver.effects[0] = {11, 2, 3};
    reaver.effects[1] = {44, 9, 0};
    reaver.effects[2] = {11, 5, 5};
    UniqueRecord lost;
    lost.name = "Lost";
    lost.uniqueId = 200;
    game_.uniques = {reaver, lost};

    MonsterRecord moth;
    moth.name = "Moth";
    moth.minDungeonCode = 2;
    moth.maxDungeonCode = 7;
    game_.monsters = {moth};
    BossRecord abbot;
    abbot.name = "Abbot";
    abbot.baseMonster = 0;
    game_.bosses = {abbot};
    AffixRecord copper;
    copper.name = "Copper";
    copper.effect = {11, 24, 26};
    copper.itemClasses = 0x1010;
    copper.minPrice = 10;
    copper.maxPrice = 90;
    game_.suffixes = {copper};
    game_.title = "Grimveil <Demo>";
    RelateRecords(game_);
  }

  DataSources Sources() { return {game_, effectNames_, aiTypeNames_, pictures_, origin_}; }

  // The whole script, as the run gives it piece by piece.
  std::string Script() {
    std::string script;
    EXPECT_TRUE(WriteExplorerData(Sources(), [&](std::string_view piece) { script += piece; }));
    return script;
  }

  // The object the script assigns to its global.
  json Data() {
    const std::string script = Script();
    const std::string head = "var " + std::string(kExplorerDataVariable) + " = ";
    EXPECT_TRUE(script.starts_with(head));
    EXPECT_TRUE(script.ends_with("};\n"));
    return json::parse(script.substr(head.size(), script.size() - head.size() - 2));
  }

  GameData game_;
  std::array<std::string, 94> effectNames_;
  std::vector<std::string> aiTypeNames_ = std::vector<std::string>(40, "AI");
  std::vector<std::string> pictures_;
  const DocumentOrigin origin_;
};

TEST_F(ExplorerDataTest, RowsHoldTheColumnsOfEachTable) {
  const json d = Data();
  EXPECT_EQ(d["title"], "Grimveil <Demo>");
  std::vector<std::string> keys;
  for (const json& table : d["tables"]) keys.push_back(table["key"]);
  EXPECT_EQ(keys, (std::vector<std::string>{"items", "uniques", "monsters", "bosses", "prefixes", "suffixes"}));

  const json& items = d["tables"][0];
  EXPECT_EQ(items["columns"][6], json({{"title", "Price"}, {"kind", "number"}}));
  EXPECT_EQ(items["rows"][1], json::parse(R"([1, "\u00c9bony <Blade>", "Sword", 4, [2, 9], [0, 0], 250, "10 Str, 20 Dex"])"));

  const json& uniques = d["tables"][1];
  EXPECT_EQ(uniques["columns"][3], json({{"title", "Base item"}, {"kind", "record"}, {"table", "items"}}));
  EXPECT_EQ(uniques["rows"][0][3], 0);
  EXPECT_EQ(uniques["rows"][0][5], "+2...3% to Vitality; +5% to Vitality");
  EXPECT_EQ(uniques["rows"][1][3], nullptr);
  EXPECT_EQ(uniques["rows"][1][5], "");

  EXPECT_EQ(d["tables"][2]["rows"][0][5], json::array({2, 4}));  // dungeon levels from codes 2 and 7
  EXPECT_EQ(d["tables"][3]["rows"][0][5], 0);
  EXPECT_EQ(d["tables"][4]["rows"], json::array());
  EXPECT_EQ(d["tables"][5]["rows"][0], json::parse(R"([0, "Copper", 0, "+24...26% to Vitality", [10, 90], "Bow, Weapon"])"));
}

// Texts beyond ASCII are \u escapes, so the script reads the same in any encoding; the same
// game gives the same bytes.
TEST_F(ExplorerDataTest, ScriptIsAsciiAndTheSameEveryTime) {
  const std::string script = Script();
  for (const char c : script) ASSERT_LT(static_cast<unsigned char>(c), 0x80u);
  EXPECT_NE(script.find(R"("\u00c9bony <Blade>")"), std::string::npos);
  EXPECT_EQ(script, Script());
}

// The page loads the two scripts the run writes, in order: the data first.
TEST(ExplorerPage, LoadsTheDataAndTheScriptWrittenBesideIt) {
  const std::string_view page = ExplorerPageSource();
  const std::size_t data = page.find("<script src=\"data/" + std::string(kExplorerDataName) + "\"></script>");
  const std::size_t script = page.find("<script src=\"data/" + std::string(kExplorerScriptName) + "\"></script>");
  ASSERT_NE(data, std::string_view::npos);
  ASSERT_NE(script, std::string_view::npos);
  EXPECT_LT(data, script);
  EXPECT_NE(page.find("<meta charset=\"utf-8\">"), std::string_view::npos);
  EXPECT_EQ(page.find('\r'), std::string_view::npos);
  EXPECT_NE(ExplorerScriptSource().find(kExplorerDataVariable), std::string_view::npos);
}

}  // namespace
}  // namespace gvde
