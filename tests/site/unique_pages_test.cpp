// Unique pages data/u<U>.htm and the unique level and ID lists, byte for byte.
#include "site/unique_pages.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "effects/effect_descriptions.h"
#include "site/run_config.h"
#include "site_fixture.h"

namespace gvde {
namespace {

const std::string& kHead = testkit::kExpectedPageHead;

class UniquePagesTest : public testkit::SiteTest {
 protected:
  UniquePagesTest() {
    InitEffectFormatters();
    config_.effectNames[0] = "Damage";  // "+" range "% to " name
    config_.effectNames[4] = "Armor";   // name ": " range
    config_.effectNames[44] = "Picture";

    run_.game.items.resize(3);
    run_.game.items[0].name = "Club";
    run_.game.items[0].uniqueId = 2;
    run_.game.items[1].name = "Short Sword";
    run_.game.items[1].uniqueId = 5;
    run_.game.items[1].level = 3;
    run_.game.items[1].picture = 12;
    run_.game.items[2].name = "Long Sword";
    run_.game.items[2].uniqueId = 5;
    run_.game.items[2].picture = 13;
  }


  // Unique 0 "Gladius" of level 7, built on the short sword (item 1), price 1000.
  static UniqueRecord Gladius(std::uint16_t effectCount, const std::vector<EffectEntry>& effects) {
    UniqueRecord unique;
    unique.name = "Gladius";
    unique.uniqueId = 5;
    unique.level = 7;
    unique.price = 1000;
    unique.effectCount = effectCount;
    for (std::size_t k = 0; k < effects.size(); ++k) unique.effects[k] = effects[k];
    return unique;
  }
  static std::string GladiusPage(std::int32_t picture, const std::string& effects) {
    return kHead + R"(<h3>0: Gladius, <a href="ul7.htm" target="nav">Level 7</a></h3><img src="i)" +
           std::to_string(picture) +
           R"(.png"><p>Kind of <a href="i1.htm" target="out">Short Sword</a>, <a href="il3.htm" target="nav">Level 3</a></p>)"
           "<p>Price: 1000 (sold for 31)</p>" +
           effects + "</body></html>";
  }

  std::string WriteOne(const UniqueRecord& unique) {
    run_.game.uniques = {unique};
    EXPECT_TRUE(WritePages(UniqueCategory(run_)));
    return Data("u0.htm");
  }


};

TEST_F(UniquePagesTest, FullPageWithoutTechnicalInformation) {
  EXPECT_EQ(WriteOne(Gladius(3, {{0, 10, 20}, {44, 33, 0}, {4, 5, 5}})),
            GladiusPage(33, "<p>+10...20% to Damage</p><p>Armor: 5</p>"));
  EXPECT_TRUE(host_.calls().empty());
}

TEST_F(UniquePagesTest, FullPageWithTechnicalInformation) {
  run_.technicalInfo = true;
  EXPECT_EQ(WriteOne(Gladius(3, {{0, 10, 20}, {44, 33, 0}, {4, 5, 5}})),
            GladiusPage(33, "<p>+10...20% to Damage</p><p>Armor: 5</p>"
                            R"(<p><a href="ui5.htm" target="nav">Unique ID: 5</a></p>)"
                            "\r\n"));
}

TEST_F(UniquePagesTest, EffectsAndPicture) {
  struct Case {
    const char* what;
    std::uint16_t effectCount;
    std::vector<EffectEntry> effects;
    std::int32_t picture;
    std::string lines;
  };
  const std::vector<Case> cases = {
      {"no effects", 0, {{0, 1, 1}}, 12, ""},
      {"only code 44", 1, {{44, 40, 0}}, 40, ""},
      {"second code 44", 3, {{44, 41, 0}, {44, 99, 0}, {4, 1, 3}}, 41, "<p>Armor: 1...3</p>"},
      {"code 44 beyond the count", 1, {{4, 2, 2}, {44, 42, 0}}, 12, "<p>Armor: 2</p>"},
      {"count above six reads six", 9, {{4, 1, 1}, {4, 2, 2}, {4, 3, 3}, {4, 4, 4}, {4, 5, 5}, {4, 6, 6}}, 12,
       "<p>Armor: 1</p><p>Armor: 2</p><p>Armor: 3</p><p>Armor: 4</p><p>Armor: 5</p><p>Armor: 6</p>"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WriteOne(Gladius(c.effectCount, c.effects)), GladiusPage(c.picture, c.lines)) << c.what;
  }
}

TEST_F(UniquePagesTest, SellingPriceIsPriceShiftedRightUnsigned) {
  const std::vector<std::pair<std::int32_t, std::string>> cases = {
      {100, "100 (sold for 3)"}, {31, "31 (sold for 0)"}, {1000, "1000 (sold for 31)"}, {32, "32 (sold for 1)"},
      {-1, "-1 (sold for 134217727)"}, {0, "0 (sold for 0)"}};
  for (const auto& [price, text] : cases) {
    UniqueRecord unique;
    unique.name = "Ring";
    unique.uniqueId = 77;
    unique.price = price;
    EXPECT_EQ(WriteOne(unique),
              kHead + R"(<h3>0: Ring, <a href="ul0.htm" target="nav">Level 0</a></h3><p>BASE NOT FOUND!</p><p>Price: )" +
                  text + "</p></body></html>")
        << price;
  }
}

TEST_F(UniquePagesTest, BaseNotFoundStillListsPriceAndEffects) {
  run_.technicalInfo = true;
  UniqueRecord unique = Gladius(2, {{44, 50, 0}, {0, 3, 3}});
  unique.uniqueId = 200;
  unique.price = 64;
  EXPECT_EQ(WriteOne(unique),
            kHead + R"(<h3>0: Gladius, <a href="ul7.htm" target="nav">Level 7</a></h3><p>BASE NOT FOUND!</p>)"
                    "<p>Price: 64 (sold for 2)</p><p>+3% to Damage</p>"
                    R"(<p><a href="ui200.htm" target="nav">Unique ID: 200</a></p>)"
                    "\r\n</body></html>");
}

TEST_F(UniquePagesTest, BaseIsTheFirstItemWithTheUniqueId) {
  run_.game.items[0].uniqueId = 5;
  run_.game.items[0].level = 1;
  run_.game.items[0].picture = 8;
  EXPECT_EQ(WriteOne(Gladius(0, {})),
            kHead + R"(<h3>0: Gladius, <a href="ul7.htm" target="nav">Level 7</a></h3><img src="i8.png">)"
                    R"(<p>Kind of <a href="i0.htm" target="out">Club</a>, <a href="il1.htm" target="nav">Level 1</a></p>)"
                    "<p>Price: 1000 (sold for 31)</p></body></html>");
}

TEST_F(UniquePagesTest, CountsPagesAndFirstBytes) {
  run_.game.uniques = {Gladius(0, {}), Gladius(0, {}), Gladius(0, {})};
  run_.game.uniques[1].name = "";
  run_.game.uniques[2].name = "\xE9t\xE9";
  ASSERT_TRUE(WritePages(UniqueCategory(run_)));
  EXPECT_EQ(counts_[0], 3u);
  EXPECT_EQ(counts_['G'], 1u);
  EXPECT_EQ(counts_[0xE9], 1u);
  EXPECT_TRUE(DataExists("u1.htm"));
  EXPECT_TRUE(DataExists("u2.htm"));
}

TEST_F(UniquePagesTest, UncreatablePageStopsTheRun) {
  LoseOutputFolder();
  run_.game.uniques = {Gladius(0, {}), Gladius(0, {})};
  EXPECT_EQ(testkit::FailureOf(WritePages(UniqueCategory(run_))), "Cannot write to file");
}

TEST_F(UniquePagesTest, LevelListsThenIdLists) {
  const std::vector<std::tuple<const char*, std::uint8_t, std::uint8_t>> uniques = {
      {"Zed", 3, 4}, {"Amber", 3, 1}, {"Amber", 0, 4}, {"Amber", 3, 4}};
  for (const auto& [name, level, id] : uniques) {
    UniqueRecord unique;
    unique.name = name;
    unique.level = level;
    unique.uniqueId = id;
    run_.game.uniques.push_back(unique);
  }

  EXPECT_EQ(WriteLists(UniqueCategory(run_)),
            R"(<a href="ul0.htm" target="nav">Level 0</a><br><a href="ul3.htm" target="nav">Level 3</a><hr>)"
            R"(<a href="ui1.htm" target="nav">Unique ID 1</a><br><a href="ui4.htm" target="nav">Unique ID 4</a>)");
  EXPECT_EQ(Data("ul0.htm"), kHead + R"(Unique Level 0<br><a href="u2.htm" target="out">Amber</a></body></html>)");
  EXPECT_EQ(Data("ul3.htm"), kHead + R"(Unique Level 3<br><a href="u1.htm" target="out">Amber</a>)"
                                     R"(<br><a href="u3.htm" target="out">Amber</a>)"
                                     R"(<br><a href="u0.htm" target="out">Zed</a></body></html>)");
  EXPECT_EQ(Data("ui1.htm"), kHead + R"(Unique ID 1<br><a href="u1.htm" target="out">Amber</a></body></html>)");
  EXPECT_EQ(Data("ui4.htm"), kHead + R"(Unique ID 4<br><a href="u2.htm" target="out">Amber</a>)"
                                     R"(<br><a href="u3.htm" target="out">Amber</a>)"
                                     R"(<br><a href="u0.htm" target="out">Zed</a></body></html>)");
  for (const char* absent : {"ul1.htm", "ul2.htm", "ui0.htm", "ui2.htm", "ui3.htm"}) {
    EXPECT_FALSE(DataExists(absent)) << absent;
  }
  EXPECT_TRUE(host_.calls().empty());
}

TEST_F(UniquePagesTest, EmptyTableWritesOnlyTheRule) { EXPECT_EQ(WriteLists(UniqueCategory(run_)), "<hr>"); }

TEST_F(UniquePagesTest, LevelListFailureComesAfterTheWholeCategoryPage) {
  LoseOutputFolder();
  run_.game.uniques = {Gladius(0, {})};
  EXPECT_EQ(WriteLists(UniqueCategory(run_), false),
            R"(<a href="ul7.htm" target="nav">Level 7</a><hr><a href="ui5.htm" target="nav">Unique ID 5</a>)");
  EXPECT_EQ(listsFailure_, "Cannot write to file");
}

}  // namespace
}  // namespace gvde
