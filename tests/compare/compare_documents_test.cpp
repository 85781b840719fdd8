#include "compare/compare_documents.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <string>

#include "testkit/temp_dir.h"

namespace gvde {
namespace {

using Json = nlohmann::ordered_json;
using Outcome = CompareResult::Outcome;

// A record with its number, name and (for version 2) key, then `fields`.
Json Record(int version, const char* letter, std::size_t number, const std::string& name, const Json& fields,
            int occurrence = 1) {
  Json r;
  r["number"] = number;
  r["name"] = name;
  if (version == 2) r["key"] = std::string(letter) + ":" + name + "#" + std::to_string(occurrence);
  for (const auto& field : fields.items()) r[field.key()] = field.value();
  return r;
}

Json Document(int version, const Json& items, const Json& uniques, const std::string& title = "Demo") {
  Json d;
  d["format"] = "gvde-data";
  d["version"] = version;
  d["title"] = title;
  d["items"] = items;
  d["uniques"] = uniques;
  for (const char* empty : {"monsters", "bosses", "prefixes", "suffixes"}) d[empty] = Json::array();
  return d;
}

class CompareDocumentsTest : public ::testing::Test {
 protected:
  CompareResult Compare(const Json& oldDocument, const Json& newDocument, CompareOptions options = {}) {
    return CompareText(oldDocument.dump(2), newDocument.dump(2), options);
  }
  CompareResult CompareText(const std::string& oldText, const std::string& newText, CompareOptions options = {}) {
    EXPECT_TRUE(testkit::WriteFileText(dir_.File("old.json"), oldText));
    EXPECT_TRUE(testkit::WriteFileText(dir_.File("new.json"), newText));
    return CompareDocumentFiles(dir_.File("old.json"), dir_.File("new.json"), options);
  }
  std::string Path(const char* name) const { return dir_.File(name); }

  // Version 2: unique "Ember" inserted at 1, "Crown" costs more; the sword names its uniques
  // by their numbers, which shift.
  Json Old(int version = 2) const {
    return Document(version, Json::array({Record(version, "i", 0, "Sword", {{"price", 10}, {"uniques", {1, 2}}})}),
                    Json::array({Record(version, "u", 0, "Fang", {{"price", 1}, {"baseItem", nullptr}}),
                                 Record(version, "u", 1, "Veil", {{"price", 2}, {"baseItem", 0}}),
                                 Record(version, "u", 2, "Crown", {{"price", 3}, {"baseItem", 0}})}));
  }
  Json New() const {
    return Document(2, Json::array({Record(2, "i", 0, "Sword", {{"price", 10}, {"uniques", {2, 3}}})}),
                    Json::array({Record(2, "u", 0, "Fang", {{"price", 1}, {"baseItem", nullptr}}),
                                 Record(2, "u", 1, "Ember", {{"price", 9}, {"baseItem", nullptr}}),
                                 Record(2, "u", 2, "Veil", {{"price", 2}, {"baseItem", 0}}),
                                 Record(2, "u", 3, "Crown", {{"price", 4}, {"baseItem", 0}})}));
  }

  testkit::TempDir dir_;
};

TEST_F(CompareDocumentsTest, MatchedByKeyAnInsertedRecordIsOneAddition) {
  const CompareResult r = Compare(Old(), New());
  EXPECT_EQ(r.outcome, Outcome::Different);
  EXPECT_EQ(r.report,
            "uniques \"Crown\" (2 -> 3): price 3 -> 4\n"
            "uniques \"Ember\" (1): added\n");
}

TEST_F(CompareDocumentsTest, MatchedByNumberTheRecordsAfterAnInsertionShift) {
  const CompareResult r = Compare(Old(), New(), {MatchBy::Number, ReportFormat::Text});
  EXPECT_EQ(r.report,
            "items \"Sword\" (0): uniques[0] 1 -> 2\n"
            "items \"Sword\" (0): uniques[1] 2 -> 3\n"
            "uniques \"Ember\" (1): name \"Veil\" -> \"Ember\"\n"
            "uniques \"Ember\" (1): price 2 -> 9\n"
            "uniques \"Ember\" (1): baseItem 0 -> null\n"
            "uniques \"Veil\" (2): name \"Crown\" -> \"Veil\"\n"
            "uniques \"Veil\" (2): price 3 -> 2\n"
            "uniques \"Crown\" (3): added\n");
}

// References are compared as the keys of the records they name, so a changed one shows them.
TEST_F(CompareDocumentsTest, ReferencesMatchedByKeyAreShownAsKeys) {
  Json changed = New();
  changed["items"][0]["uniques"] = {2, 1};
  changed["uniques"][2]["baseItem"] = 5;  // names no item: stays a number
  EXPECT_EQ(Compare(Old(), changed).report,
            "items \"Sword\" (0): uniques[1] \"u:Crown#1\" -> \"u:Ember#1\"\n"
            "uniques \"Veil\" (1 -> 2): baseItem \"i:Sword#1\" -> 5\n"
            "uniques \"Crown\" (2 -> 3): price 3 -> 4\n"
            "uniques \"Ember\" (1): added\n");
}

TEST_F(CompareDocumentsTest, ListsAreComparedElementByElementAndRemovalsListed) {
  Json before = Old();
  Json after = Old();
  before["uniques"][0]["effects"] = Json::parse(R"([{"code": 1, "param1": 2}])");
  after["uniques"][0]["effects"] = Json::parse(R"([{"code": 1, "param1": 3}, {"code": 7, "param1": 0}])");
  after["uniques"].erase(2);
  // Crown's number no longer names a unique: it stays a number.
  EXPECT_EQ(Compare(before, after).report,
            "items \"Sword\" (0): uniques[1] \"u:Crown#1\" -> 2\n"
            "uniques \"Fang\" (0): effects[0].param1 2 -> 3\n"
            "uniques \"Fang\" (0): effects[1].code (none) -> 7\n"
            "uniques \"Fang\" (0): effects[1].param1 (none) -> 0\n"
            "uniques \"Crown\" (2): removed\n");
}

// Keys of a version 1 document are made as version 2 writes them; the fields version 2 added
// are not compared.
TEST_F(CompareDocumentsTest, VersionOneAndTwoOfTheSameGameAreIdentical) {
  Json before = Old(1);
  Json after = Old(2);
  before["items"].push_back(Record(1, "i", 1, "Sword", {{"price", 10}, {"uniques", Json::array()}}));
  after["items"].push_back(Record(2, "i", 1, "Sword", {{"price", 10}, {"uniques", Json::array()}}, 2));
  after["uniques"][0]["effects"] = Json::parse(R"([{"code": 1, "name": "Hit", "param1": 2}])");
  before["uniques"][0]["effects"] = Json::parse(R"([{"code": 1, "param1": 2}])");
  after["generator"] = {{"name", "gvde"}};
  const CompareResult r = Compare(before, after);
  EXPECT_EQ(r.outcome, Outcome::Identical);
  EXPECT_EQ(r.report, "");
  EXPECT_EQ(Compare(after, after).outcome, Outcome::Identical);
}

TEST_F(CompareDocumentsTest, MarkdownTablesPerChangedRecordWithGameTextEscaped) {
  Json after = New();
  after["uniques"][3]["name"] = "<Crown|I>";
  after["uniques"][3]["key"] = "u:Crown#1";
  const CompareResult r = Compare(Old(), after, {MatchBy::Key, ReportFormat::Markdown});
  EXPECT_EQ(r.report,
            "## Unique items\n"
            "\n"
            "### \\<Crown\\|I\\> (2 -> 3)\n"
            "\n"
            "| Value | Old | New |\n"
            "|---|---|---|\n"
            "| `name` | Crown | \\<Crown\\|I\\> |\n"
            "| `price` | 3 | 4 |\n"
            "\n"
            "Added:\n"
            "\n"
            "- Ember (1)\n");
  Json retitled = Old();
  retitled["title"] = "Demo *2*";
  EXPECT_EQ(Compare(Old(), retitled, {MatchBy::Key, ReportFormat::Markdown}).report,
            "## Title\n\n| Value | Old | New |\n|---|---|---|\n| `title` | Demo | Demo \\*2\\* |\n");
}

TEST_F(CompareDocumentsTest, JsonAndCsvReportsForPrograms) {
  const Json report = Json::parse(Compare(Old(), New(), {MatchBy::Key, ReportFormat::Json}).report);
  EXPECT_EQ(report["match"], "key");
  EXPECT_EQ(report["title"], nullptr);
  EXPECT_EQ(report["uniques"]["added"], Json::parse(R"([{"key": "u:Ember#1", "name": "Ember",
                                                         "oldNumber": null, "newNumber": 1}])"));
  EXPECT_EQ(report["uniques"]["changed"][0]["changes"], Json::parse(R"([{"field": "price", "old": 3, "new": 4}])"));
  EXPECT_EQ(report["monsters"], Json::parse(R"({"changed": [], "added": [], "removed": []})"));
  EXPECT_EQ(Compare(Old(), New(), {MatchBy::Key, ReportFormat::Csv}).report,
            "\xEF\xBB\xBF" "category,key,name,oldNumber,newNumber,change,field,old,new\r\n"
            "uniques,u:Crown#1,Crown,2,3,changed,price,3,4\r\n"
            "uniques,u:Ember#1,Ember,,1,added,,,\r\n");
}

TEST_F(CompareDocumentsTest, DocumentsThatCannotBeReadNameTheFileAndTheReason) {
  const std::string text = Old().dump(2);
  const std::string truncated = text.substr(0, text.find("\"Veil\"") + 3);
  const std::size_t lines = static_cast<std::size_t>(std::count(truncated.begin(), truncated.end(), '\n')) + 1;
  CompareResult r = CompareText(truncated, text);
  EXPECT_EQ(r.outcome, Outcome::Trouble);
  EXPECT_EQ(r.message, Path("old.json") + " is not a gvde data document");
  EXPECT_TRUE(r.detail.starts_with(Path("old.json") + ": parse error at line " + std::to_string(lines) + ", column "))
      << r.detail;

  r = CompareDocumentFiles(Path("missing.json"), Path("old.json"), {});
  EXPECT_EQ(r.message, "Cannot read " + Path("missing.json"));
  EXPECT_EQ(r.detail, Path("missing.json") + ": No such file or directory");

  Json twice = New();
  twice["uniques"][2]["key"] = "u:Fang#1";
  EXPECT_EQ(Compare(Old(), twice).detail, Path("new.json") + ": uniques: the key \"u:Fang#1\" is given twice");
  Json later = New();
  later["version"] = 3;
  EXPECT_EQ(Compare(Old(), later).detail, Path("new.json") + ": \"version\" is not 1 or 2 (a later gvde may read it)");
  Json unnamed = New();
  unnamed["items"][0].erase("name");
  EXPECT_EQ(Compare(Old(), unnamed).detail, Path("new.json") + ": items[0] has no \"name\" text");
}

// Hostile nesting and oversized objects end as trouble before the parser or the comparison
// could exhaust the stack or take quadratic time.
TEST_F(CompareDocumentsTest, DeepNestingAndHugeObjectsAreRefused) {
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  CompareResult r = CompareText(deep, Old().dump());
  EXPECT_EQ(r.outcome, Outcome::Trouble);
  EXPECT_EQ(r.detail, Path("old.json") + ": nested deeper than 16 levels at line 1, column 17");
  std::string wide = "{";
  for (int i = 0; i < 300; ++i) wide += "\"k" + std::to_string(i) + "\": 0,";
  wide += "\"end\": 0}";
  r = CompareText(Old().dump(), wide);
  EXPECT_TRUE(r.detail.starts_with(Path("new.json") + ": an object with more than 256 members at line 1")) << r.detail;
}

}  // namespace
}  // namespace gvde
