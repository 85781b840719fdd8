#include "export/data_document.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "effects/effect_descriptions.h"
#include "export/csv_tables.h"
#include "export/record_key.h"
#include "export/replacing_file.h"
#include "testkit/temp_dir.h"

namespace gvde {
namespace {

using nlohmann::json;

// The document alone, replacing `path` as a run's --json does.
bool WriteDocumentFile(const std::string& path, const DataSources& sources) {
  ReplacingFiles files;
  return AddDataDocument(files, path, sources) && files.Commit();
}

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
    game_.items = {sword, gold, gold};

    UniqueRecord ownPicture;  // based on the sword, picture from its code-44 entry
    ownPicture.name = "Grim Reaver";
    ownPicture.uniqueId = 3;
    ownPicture.price = 100;
    ownPicture.effectCount = 4;
    ownPicture.effects[0] = {44, 9, 0};
    ownPicture.effects[1] = {11, 2, 3};
    ownPicture.effects[2] = {66, 0, 12};  // charges of a spell that has no name
    ownPicture.effects[3] = {94, 1, 1};   // beyond Effect.ini
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
    EXPECT_TRUE(WriteDocumentFile(path, Sources()));
    return testkit::ReadFileText(path);
  }
  json Document() {
    const std::string text = Text();
    EXPECT_TRUE(text.ends_with("}\n"));
    return json::parse(text);
  }
  DataSources Sources() { return {game_, effectNames_, aiTypeNames_, pictures_, origin_}; }

  testkit::TempDir dir_;
  GameData game_;
  std::array<std::string, 94> effectNames_;
  std::vector<std::string> aiTypeNames_ = std::vector<std::string>(40, "AI");
  std::vector<std::string> pictures_ = {"data/m0.png", "data/i4.png", "data/i9.png"};
  DocumentOrigin origin_{"9.8.7", {{"GV.exe", 12, "00ff"}, {"Effect.ini", 3, "ab"}}, {1, 2, 3, 4, 5, 6, 7}};
};

TEST_F(DataDocumentTest, RecordsCarryTheirPageTextsLinksAndPictures) {
  const json d = Document();
  EXPECT_EQ(d["format"], "gvde-data");
  EXPECT_EQ(d["version"], 2);
  EXPECT_EQ(d["generator"], json({{"name", "gvde"}, {"version", "9.8.7"}}));
  EXPECT_EQ(d["source"]["files"]["GV.exe"], json({{"size", 12}, {"sha256", "00ff"}}));
  EXPECT_EQ(d["source"]["files"]["Effect.ini"]["size"], 3);
  EXPECT_EQ(d["source"]["addresses"]["itemTable"], 1);
  EXPECT_EQ(d["source"]["addresses"]["affixTable"], 6);
  EXPECT_EQ(d["source"]["addresses"]["title"], 7);
  EXPECT_EQ(d["title"], "Grimveil <Demo> & co");

  const json& sword = d["items"][0];
  EXPECT_EQ(sword["number"], 0);
  EXPECT_EQ(sword["name"], "\303\211bony Blade");
  EXPECT_EQ(sword["key"], "i:\303\211bony Blade#1");
  EXPECT_EQ(d["items"][1]["key"], "i:Gold#1");
  EXPECT_EQ(d["items"][2]["key"], "i:Gold#2");
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
  EXPECT_EQ(reaver["key"], "u:Grim Reaver#1");
  EXPECT_EQ(reaver["effects"][0]["text"], nullptr);
  EXPECT_EQ(reaver["effects"][0]["name"], "Effect");
  EXPECT_EQ(reaver["effects"][1]["text"], "+2...3% to Vitality");
  EXPECT_EQ(reaver["effects"][1]["name"], "Vitality");
  EXPECT_EQ(reaver["effects"][2]["text"], "12 charges of <NO STRING>");  // plain, as its page escapes it
  EXPECT_EQ(reaver["effects"][3]["name"], nullptr);
  const json& lost = d["uniques"][1];
  EXPECT_EQ(lost["baseItem"], nullptr);
  EXPECT_EQ(lost["picture"], nullptr);
  EXPECT_EQ(lost["pictureFile"], nullptr);

  EXPECT_EQ(d["monsters"][0]["resistanceNames"], json::array({"Magic resistant", "Magic immune"}));
  EXPECT_EQ(d["monsters"][0]["bosses"], json::array({0}));
  EXPECT_EQ(d["monsters"][0]["pictureFile"], "data/m0.png");
  EXPECT_EQ(d["monsters"][1]["key"], "m:Moth#2");
  EXPECT_EQ(d["bosses"][0]["key"], "b:Abbot#1");
  EXPECT_EQ(d["monsters"][1]["pictureFile"], nullptr);
  EXPECT_EQ(d["bosses"][0]["basedOnMonster"], 1);
  // Monster 1 has resistances in Horror and Purgatory only; the boss has none.
  EXPECT_EQ(d["bosses"][0]["resistanceComparison"], "same as base in Doom difficulty");

  const json& copper = d["prefixes"][0];
  EXPECT_EQ(copper["key"], "p:Copper#1");
  EXPECT_EQ(copper["effectName"], "Vitality");
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
  ASSERT_TRUE(WriteDocumentFile(path, Sources()));
  EXPECT_EQ(testkit::ReadFileText(path), Text());

  // A directory in the way, a folder that is missing: nothing is written.
  const std::string blocked = dir.MakeSubdir("blocked.json");
  EXPECT_FALSE(WriteDocumentFile(blocked, Sources()));
  EXPECT_FALSE(WriteDocumentFile(dir.File("missing/data.json"), Sources()));
  EXPECT_EQ(testkit::ListFileNames(dir.path()), (std::vector<std::string>{"blocked.json", "data.json"}));
}

// The tables hold the document's records, a header first; with the document they replace
// their files together, or none of them when one cannot be written.
TEST_F(DataDocumentTest, CsvTablesAndTheDocumentReplaceTheirFilesTogether) {
  testkit::TempDir dir;
  const std::string csv = dir.MakeSubdir("csv") + "/";
  const std::string document = dir.File("data.json");
  {
    ReplacingFiles files;
    ASSERT_TRUE(AddDataDocument(files, document, Sources()));
    ASSERT_TRUE(AddCsvTables(files, csv, Sources()));
    EXPECT_FALSE(testkit::FileExists(document));
    ASSERT_TRUE(files.Commit());
  }
  const json d = json::parse(testkit::ReadFileText(document));
  const std::string items = testkit::ReadFileText(csv + "items.csv");
  ASSERT_TRUE(items.starts_with("\xEF\xBB\xBFnumber,name,key,dropKind,"));
  EXPECT_NE(items.find("\r\n0,\303\211bony Blade,i:\303\211bony Blade#1,"), std::string::npos);
  EXPECT_NE(items.find(",\"10 Str, 20 Dex\","), std::string::npos);  // quoted: it holds a comma
  const std::string uniques = testkit::ReadFileText(csv + "uniques.csv");
  EXPECT_NE(uniques.find(",+2...3% to Vitality; 12 charges of <NO STRING>; Unknown effect 94: 1,"), std::string::npos) << uniques;
  EXPECT_EQ(testkit::ReadFileText(csv + "suffixes.csv"), "\xEF\xBB\xBF");  // no records: no header
  const std::size_t rows = static_cast<std::size_t>(std::count(items.begin(), items.end(), '\n'));
  EXPECT_EQ(rows, d["items"].size() + 1);

  // A folder in the way of the last table: nothing is replaced, no temporary file is left.
  ASSERT_TRUE(testkit::WriteFileText(document, "earlier"));
  std::filesystem::remove(csv + "suffixes.csv");
  dir.MakeSubdir("csv/suffixes.csv");
  {
    ReplacingFiles files;
    ASSERT_TRUE(AddDataDocument(files, document, Sources()));
    EXPECT_FALSE(AddCsvTables(files, csv, Sources()));
    EXPECT_EQ(files.FailedPath(), csv + "suffixes.csv");
    EXPECT_EQ(files.FailureDetail(), csv + "suffixes.csv: Is a directory");
  }
  EXPECT_EQ(testkit::ReadFileText(document), "earlier");
  EXPECT_EQ(testkit::ListFileNames(dir.path()), (std::vector<std::string>{"csv", "data.json"}));
  EXPECT_EQ(testkit::ListFileNames(csv).size(), 6u);
}

// The key stays one per record whatever the name holds: the letter is read up to the first ':'
// and the occurrence after the last '#'.
TEST(RecordKeysTest, NamesWithSeparatorsAndEmptyNamesKeepOneKeyEach) {
  RecordKeys keys('u');
  EXPECT_EQ(keys.Next("A#1"), "u:A#1#1");
  EXPECT_EQ(keys.Next("A"), "u:A#1");
  EXPECT_EQ(keys.Next("A"), "u:A#2");
  EXPECT_EQ(keys.Next("b:A"), "u:b:A#1");
  EXPECT_EQ(keys.Next(""), "u:#1");
  EXPECT_EQ(keys.Next(""), "u:#2");
  EXPECT_EQ(RecordKeys('s').Next("A"), "s:A#1");
}

}  // namespace
}  // namespace gvde
