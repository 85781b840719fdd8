// Prefix and suffix pages data/p<N>.htm, data/s<N>.htm and their effect, level and
// item-class lists.
#include "site/affix_pages.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "effects/effect_descriptions.h"
#include "site/run_config.h"
#include "site_fixture.h"

namespace gvde {
namespace {

const std::string& kHead = testkit::kExpectedPageHead;

class AffixPagesTest : public testkit::SiteTest {
 protected:
  AffixPagesTest() {
    InitEffectFormatters();
    config_.effectNames[0] = "accuracy";
    config_.effectNames[93] = "Last effect";
  }

  // "+10...20% to accuracy", for Bow and Weapon, one price, group A, sold in shops.
  static AffixRecord Sunlit() {
    AffixRecord a;
    a.name = "Sunlit";
    a.effect = {0, 10, 20};
    a.level = 3;
    a.itemClasses = 0x1010;
    a.group = 1;
    a.inShops = 1;
    a.minPrice = 100;
    a.maxPrice = 100;
    a.priceMultiplier = 2;
    return a;
  }
  static AffixRecord Named(const char* name, std::uint32_t code, std::uint32_t level, std::uint32_t classes) {
    AffixRecord a;
    a.name = name;
    a.effect.code = code;
    a.level = level;
    a.itemClasses = classes;
    return a;
  }
  std::string PrefixPage(const AffixRecord& affix) {
    run_.game.prefixes = {affix};
    EXPECT_TRUE(WritePages(AffixCategory(run_, kind_)));
    return Data("p0.htm");
  }

  AffixKind kind_ = AffixKind::Prefix;
};

TEST_F(AffixPagesTest, PrefixPage) {
  EXPECT_EQ(
      PrefixPage(Sunlit()),
      kHead +
          R"(<h3>0: Sunlit, <a href="pl3.htm" target="nav">Level 3</a></h3><p>+10...20% to accuracy</p>)"
          R"(<p>May appear on <a href="po1.htm" target="nav">Bow</a>, <a href="po3.htm" target="nav">Weapon</a>)"
          "</p><p>Price: 100</p><p>Multiplier: 2</p><p>Group A</p></body></html>");
  EXPECT_EQ(counts_[0], 1u);
  EXPECT_EQ(counts_['S'], 1u);
}

TEST_F(AffixPagesTest, SuffixesAreNumberedFromZeroWithTheirOwnLetter) {
  run_.game.prefixes = {Sunlit(), Sunlit()};
  AffixRecord suffix = Sunlit();
  suffix.name = "of Fog";
  suffix.itemClasses = 0xEEEEEEEE;  // no class bit set
  suffix.minPrice = 500;
  suffix.maxPrice = 200;
  suffix.group = 0x10;
  suffix.inShops = 0;
  run_.game.suffixes = {suffix};
  kind_ = AffixKind::Suffix;
  ASSERT_TRUE(WritePages(AffixCategory(run_, kind_)));
  EXPECT_EQ(
      Data("s0.htm"),
      kHead + R"(<h3>0: of Fog, <a href="sl3.htm" target="nav">Level 3</a></h3><p>+10...20% to accuracy</p>)"
              "<p>May appear on nothing</p><p>Price: 500-200</p><p>Multiplier: 2</p><p>Group B</p>"
              "<p>Cursed (cannot appear in the shops)</p></body></html>");
  EXPECT_FALSE(DataExists("s1.htm"));
  EXPECT_FALSE(DataExists("p0.htm"));
}

TEST_F(AffixPagesTest, PiecesThatDependOnValues) {
  struct Case {
    const char* what;
    void (*change)(AffixRecord&);
    std::string expectedPart;
  };
  const std::vector<Case> cases = {
      {"every class", [](AffixRecord& a) { a.itemClasses = 0xFFFFFFFF; },
       R"(May appear on <a href="po0.htm" target="nav">Jewelry</a>, <a href="po1.htm" target="nav">Bow</a>, )"
       R"(<a href="po2.htm" target="nav">Staff</a>, <a href="po3.htm" target="nav">Weapon</a>, )"
       R"(<a href="po4.htm" target="nav">Shield</a>, <a href="po5.htm" target="nav">Armor</a></p>)"},
      {"negative prices",
       [](AffixRecord& a) {
         a.minPrice = -5;
         a.maxPrice = -5;
       },
       "<p>Price: -5</p>"},
      {"no group, any non-zero shop value",
       [](AffixRecord& a) {
         a.group = 0x11;
         a.inShops = 0x80000000;
       },
       "<p>Multiplier: 2</p></body></html>"},
      {"huge level", [](AffixRecord& a) { a.level = 0xFFFFFFFF; },
       R"(<a href="pl-1.htm" target="nav">Level -1</a></h3>)"},
      {"last effect code",
       [](AffixRecord& a) {
         a.effect = {93, 0, 0};
       },
       "</h3><p>Last effect</p>"},
  };
  for (const Case& c : cases) {
    AffixRecord a = Sunlit();
    c.change(a);
    const std::string page = PrefixPage(a);
    EXPECT_NE(page.find(c.expectedPart), std::string::npos) << c.what << "\n" << page;
  }
}

TEST_F(AffixPagesTest, PageThatCannotBeCreatedEndsTheRun) {
  LoseOutputFolder();
  run_.game.prefixes = {Sunlit()};
  EXPECT_EQ(testkit::FailureOf(WritePages(AffixCategory(run_, kind_))), "Cannot write to file");
}

class AffixListsTest : public AffixPagesTest {
 protected:
  static std::string Entry(const std::string& letter, int number, const std::string& name) {
    return "<br><a href=\"" + letter + std::to_string(number) + ".htm\" target=\"out\">" + name + "</a>";
  }
  static std::string ListPage(const std::string& title, const std::string& entries) {
    return kHead + title + entries + "</body></html>";
  }
};

TEST_F(AffixListsTest, EffectLevelAndClassSections) {
  run_.game.prefixes = {
      Named("Sunlit", 0, 3, 0x1010), Named("Dusty", 0, 0, 0x1), Named("Rusted", 93, 0xFFFFFFFF, 0x100000),
      Named("Odd", 94, 3, 0),  // no effect list beyond code 93
  };
  run_.game.maxAffixLevel = 0xFFFFFFFF;
  EXPECT_EQ(
      WriteLists(AffixCategory(run_, kind_)),
      R"(<a href="pe0.htm" target="nav">accuracy</a><br><a href="pe93.htm" target="nav">Last effect</a>)"
      R"(<hr><a href="pl0.htm" target="nav">Level 0</a><br><a href="pl3.htm" target="nav">Level 3</a>)"
      R"(<br><a href="pl-1.htm" target="nav">Level -1</a>)"
      R"(<hr><a href="po0.htm" target="nav">Jewelry</a><br><a href="po1.htm" target="nav">Bow</a>)"
      R"(<br><a href="po3.htm" target="nav">Weapon</a><br><a href="po5.htm" target="nav">Armor</a>)");
  EXPECT_EQ(Data("pe0.htm"), ListPage("accuracy Prefixes", Entry("p", 1, "Dusty") + Entry("p", 0, "Sunlit")));
  EXPECT_EQ(Data("pe93.htm"), ListPage("Last effect Prefixes", Entry("p", 2, "Rusted")));
  EXPECT_FALSE(DataExists("pe94.htm"));
  EXPECT_EQ(Data("pl0.htm"), ListPage("Prefixes of level 0", Entry("p", 1, "Dusty")));
  EXPECT_EQ(Data("pl3.htm"), ListPage("Prefixes of level 3", Entry("p", 3, "Odd") + Entry("p", 0, "Sunlit")));
  EXPECT_EQ(Data("pl-1.htm"), ListPage("Prefixes of level -1", Entry("p", 2, "Rusted")));
  EXPECT_EQ(Data("po0.htm"), ListPage("Prefixes for Jewelry", Entry("p", 1, "Dusty")));
  EXPECT_EQ(Data("po3.htm"), ListPage("Prefixes for Weapon", Entry("p", 0, "Sunlit")));
  EXPECT_EQ(Data("po5.htm"), ListPage("Prefixes for Armor", Entry("p", 2, "Rusted")));
  EXPECT_FALSE(DataExists("po2.htm"));
  EXPECT_TRUE(host_.calls().empty());
}

TEST_F(AffixListsTest, SuffixListsUseTheSuffixRun) {
  run_.game.prefixes = {Named("Sunlit", 0, 1, 0x1)};
  run_.game.suffixes = {Named("of Oak", 93, 2, 0x10000)};
  run_.game.maxAffixLevel = 2;
  kind_ = AffixKind::Suffix;
  EXPECT_EQ(WriteLists(AffixCategory(run_, kind_)),
            R"(<a href="se93.htm" target="nav">Last effect</a><hr><a href="sl2.htm" target="nav">)"
            R"(Level 2</a><hr><a href="so4.htm" target="nav">Shield</a>)");
  EXPECT_EQ(Data("so4.htm"), ListPage("Suffixes for Shield", Entry("s", 0, "of Oak")));
  EXPECT_EQ(Data("sl2.htm"), ListPage("Suffixes of level 2", Entry("s", 0, "of Oak")));
  EXPECT_FALSE(DataExists("sl1.htm"));
}

TEST_F(AffixListsTest, EmptyRunWritesOnlyTheSeparators) { EXPECT_EQ(WriteLists(AffixCategory(run_, kind_)), "<hr><hr>"); }

}  // namespace
}  // namespace gvde
