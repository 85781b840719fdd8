#include "site/category_lists.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "site_fixture.h"

namespace gvde {
namespace {

using testkit::FileExists;
using testkit::ReadFileText;

const std::string& kHead = testkit::kExpectedPageHead;

std::string Link(const std::string& prefix, unsigned number, const std::string& text) {
  return "<br><a href=\"" + prefix + std::to_string(number) + ".htm\" target=\"out\">" + text + "</a>";
}

std::string CategoryTop(const std::string& prefix, const std::string& title) {
  return kHead + title + "<br><a href=\"" + prefix + "a.htm\" target=\"nav\">All (alphabetic)</a><br><a href=\"" +
         prefix + "n.htm\" target=\"nav\">All (numeric)</a><hr>";
}

std::string CharLink(const std::string& prefix, unsigned c) {
  return "<a href=\"" + prefix + "c" + std::to_string(c) + ".htm\" target=\"nav\">&nbsp;" +
         std::string(1, static_cast<char>(c)) + "&nbsp;</a>";
}

class CategoryListsTest : public testkit::SiteTest {
 protected:
  // Counts the names the way the record page loop does.
  void Count(const std::vector<std::string_view>& names) {
    for (std::string_view name : names) counts_.Count(name);
  }

  Step Write(std::string_view prefix, std::string_view title, const std::vector<std::string_view>& names,
             const CategoryListHook& hook) {
    const PipelineStage stage(run_.files);
    Step written = WriteCategoryLists(run_.files, prefix, title, names, counts_, hook);
    return written ? run_.files.Drain() : written;
  }

  std::set<std::string> DataFiles() const {
    std::set<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.File("data"))) {
      files.insert(entry.path().filename().string());
    }
    return files;
  }

  // A hook that appends a marker and records that it ran.
  CategoryListHook MarkingHook() {
    return [this](PageFile& page, ListPages&) {
      ++hookCalls;
      hookSawNumericList = FileExists(dir_.File("data/in.htm"));
      page << "HOOK";
    };
  }

  int hookCalls = 0;
  bool hookSawNumericList = false;
};

TEST_F(CategoryListsTest, BoneAxeBladeExample) {
  const std::vector<std::string_view> names = {"Bone", "Axe", "Blade"};
  Count(names);
  ASSERT_TRUE(Write("i", "Items", names, MarkingHook()));

  EXPECT_TRUE(host_.calls().empty());
  EXPECT_EQ(hookCalls, 1);
  EXPECT_FALSE(hookSawNumericList);
  EXPECT_EQ(DataFiles(), (std::set<std::string>{"i.htm", "in.htm", "ia.htm", "ic65.htm", "ic66.htm"}));
  EXPECT_EQ(Data("i.htm"), CategoryTop("i", "Items") + CharLink("i", 65) + "<br>" + CharLink("i", 66) +
                               "<hr>HOOK</body></html>");
  EXPECT_EQ(Data("i.htm"),
            kHead +
                "Items<br><a href=\"ia.htm\" target=\"nav\">All (alphabetic)</a><br><a href=\"in.htm\" "
                "target=\"nav\">All (numeric)</a><hr><a href=\"ic65.htm\" target=\"nav\">&nbsp;A&nbsp;</a><br><a "
                "href=\"ic66.htm\" target=\"nav\">&nbsp;B&nbsp;</a><hr>HOOK</body></html>");
  EXPECT_EQ(Data("in.htm"), kHead +
                                "Items<br><a href=\"i0.htm\" target=\"out\">0: Bone</a><br><a href=\"i1.htm\" "
                                "target=\"out\">1: Axe</a><br><a href=\"i2.htm\" target=\"out\">2: "
                                "Blade</a></body></html>");
  EXPECT_EQ(Data("ia.htm"), kHead +
                                "Items<br><a href=\"i1.htm\" target=\"out\">Axe</a><br><a href=\"i2.htm\" "
                                "target=\"out\">Blade</a><br><a href=\"i0.htm\" target=\"out\">Bone</a></body></html>");
  EXPECT_EQ(Data("ic65.htm"), kHead + "Items (A)<br><a href=\"i1.htm\" target=\"out\">Axe</a></body></html>");
  EXPECT_EQ(Data("ic66.htm"), kHead +
                                  "Items (B)<br><a href=\"i2.htm\" target=\"out\">Blade</a><br><a href=\"i0.htm\" "
                                  "target=\"out\">Bone</a></body></html>");
}

TEST_F(CategoryListsTest, WithoutHookThereIsNoSecondRule) {
  const std::vector<std::string_view> names = {"Axe"};
  Count(names);
  ASSERT_TRUE(Write("u", "Uniques", names, nullptr));
  EXPECT_EQ(Data("u.htm"), CategoryTop("u", "Uniques") + CharLink("u", 65) + "</body></html>");
}

TEST_F(CategoryListsTest, SortsByBytesThenNumber) {
  const std::vector<std::string_view> names = {"axe", "Axes", "Axe", "\xC9p\xE9" "e", "Axe", "Zed", "A"};
  Count(names);
  ASSERT_TRUE(Write("m", "Monsters", names, MarkingHook()));
  EXPECT_EQ(Data("ma.htm"), kHead + "Monsters" + Link("m", 6, "A") + Link("m", 2, "Axe") + Link("m", 4, "Axe") +
                                Link("m", 1, "Axes") + Link("m", 5, "Zed") + Link("m", 0, "axe") +
                                Link("m", 3, "\xC9p\xE9" "e") + "</body></html>");
  EXPECT_EQ(Data("mc65.htm"), kHead + "Monsters (A)" + Link("m", 6, "A") + Link("m", 2, "Axe") +
                                  Link("m", 4, "Axe") + Link("m", 1, "Axes") + "</body></html>");
  // The byte above 127 gets its own page, linked after every plain character.
  EXPECT_EQ(Data("m.htm"), CategoryTop("m", "Monsters") + CharLink("m", 65) + "<br>" + CharLink("m", 90) + "<br>" +
                               CharLink("m", 97) + "<br>" + CharLink("m", 201) + "<hr>HOOK</body></html>");
  EXPECT_EQ(Data("mc201.htm"), kHead + "Monsters (\xC9)" + Link("m", 3, "\xC9p\xE9" "e") + "</body></html>");
  EXPECT_EQ(DataFiles(), (std::set<std::string>{"m.htm", "mn.htm", "ma.htm", "mc65.htm", "mc90.htm", "mc97.htm",
                                                "mc201.htm"}));
}

TEST_F(CategoryListsTest, EmptyCategoryWritesOnlyItsPage) {
  ASSERT_TRUE(Write("b", "Bosses", {}, MarkingHook()));
  EXPECT_EQ(DataFiles(), (std::set<std::string>{"b.htm"}));
  EXPECT_EQ(Data("b.htm"), CategoryTop("b", "Bosses") + "<hr>HOOK</body></html>");
  EXPECT_EQ(hookCalls, 1);
  EXPECT_TRUE(host_.calls().empty());
}

// Names are shown escaped, in the first-byte links and titles too; the list files and the
// order ("&" 38 before "<" 60) come from the raw bytes.
TEST_F(CategoryListsTest, MarkupCharactersAreEscaped) {
  const std::vector<std::string_view> names = {"<b>old", "&amp"};
  Count(names);
  ASSERT_TRUE(Write("p", "Prefixes", names, nullptr));
  EXPECT_EQ(Data("p.htm"), CategoryTop("p", "Prefixes") +
                               "<a href=\"pc38.htm\" target=\"nav\">&nbsp;&amp;&nbsp;</a><br>"
                               "<a href=\"pc60.htm\" target=\"nav\">&nbsp;&lt;&nbsp;</a></body></html>");
  EXPECT_EQ(Data("pn.htm"),
            kHead + "Prefixes" + Link("p", 0, "0: &lt;b&gt;old") + Link("p", 1, "1: &amp;amp") + "</body></html>");
  EXPECT_EQ(Data("pa.htm"),
            kHead + "Prefixes" + Link("p", 1, "&amp;amp") + Link("p", 0, "&lt;b&gt;old") + "</body></html>");
  EXPECT_EQ(Data("pc60.htm"), kHead + "Prefixes (&lt;)" + Link("p", 0, "&lt;b&gt;old") + "</body></html>");
  EXPECT_EQ(Data("pc38.htm"), kHead + "Prefixes (&amp;)" + Link("p", 1, "&amp;amp") + "</body></html>");
}

TEST_F(CategoryListsTest, EmptyNameIsListedButHasNoCharacterPage) {
  const std::vector<std::string_view> names = {"b", "", "a"};
  Count(names);
  ASSERT_TRUE(Write("s", "Suffixes", names, nullptr));
  EXPECT_TRUE(host_.calls().empty());
  EXPECT_EQ(DataFiles(), (std::set<std::string>{"s.htm", "sn.htm", "sa.htm", "sc97.htm", "sc98.htm"}));
  EXPECT_EQ(Data("sn.htm"),
            kHead + "Suffixes" + Link("s", 0, "0: b") + Link("s", 1, "1: ") + Link("s", 2, "2: a") + "</body></html>");
  EXPECT_EQ(Data("sa.htm"),
            kHead + "Suffixes" + Link("s", 1, "") + Link("s", 2, "a") + Link("s", 0, "b") + "</body></html>");
}

// The hook's list pages come after the whole category page and before the numeric list.
TEST_F(CategoryListsTest, HookPagesComeBetweenTheCategoryPageAndTheFirstByteLists) {
  const std::vector<std::string_view> names = {"Axe"};
  Count(names);
  std::string categoryPageSeen;
  const CategoryListHook hook = [&](PageFile& page, ListPages& pages) {
    page << "LINK";
    pages.push_back({"il1.htm", [&](PageFile& list) {
                       categoryPageSeen = Data("i.htm");
                       hookSawNumericList = FileExists(dir_.File("data/in.htm"));
                       list << "LIST";
                       return Step::Next();
                     }});
    page << "MORE";
  };
  ASSERT_TRUE(Write("i", "Items", names, hook));
  EXPECT_EQ(categoryPageSeen, CategoryTop("i", "Items") + CharLink("i", 65) + "<hr>LINKMORE</body></html>");
  EXPECT_FALSE(hookSawNumericList);
  EXPECT_EQ(Data("il1.htm"), "LIST");
}

TEST_F(CategoryListsTest, MissingDataFolderGivesOneError) {
  std::filesystem::remove(dir_.File("data"));
  const std::vector<std::string_view> names = {"Axe"};
  Count(names);
  EXPECT_EQ(testkit::FailureOf(Write("i", "Items", names, MarkingHook())), "Cannot write to file");
  EXPECT_TRUE(host_.calls().empty());
}

TEST_F(CategoryListsTest, UncreatableCharacterPageStopsAfterEarlierFiles) {
  const std::vector<std::string_view> names = {"Bone", "Axe", "Blade"};
  Count(names);
  std::filesystem::create_directory(dir_.File("data/ic65.htm"));
  EXPECT_EQ(testkit::FailureOf(Write("i", "Items", names, MarkingHook())), "Cannot write to file");
  EXPECT_TRUE(FileExists(dir_.File("data/in.htm")));
  EXPECT_TRUE(FileExists(dir_.File("data/ia.htm")));
  EXPECT_FALSE(FileExists(dir_.File("data/ic66.htm")));
}

TEST_F(CategoryListsTest, UncreatableAlphabeticListStopsAfterNumericList) {
  const std::vector<std::string_view> names = {"Bone"};
  Count(names);
  std::filesystem::create_directory(dir_.File("data/ia.htm"));
  EXPECT_EQ(testkit::FailureOf(Write("i", "Items", names, nullptr)), "Cannot write to file");
  EXPECT_EQ(Data("in.htm"), kHead + "Items" + Link("i", 0, "0: Bone") + "</body></html>");
  EXPECT_FALSE(FileExists(dir_.File("data/ic66.htm")));
}

TEST_F(CategoryListsTest, CountThatDoesNotMatchStops) {
  const std::vector<std::string_view> names = {"Bone", "Axe"};
  Count(names);
  ++counts_[0];
  EXPECT_EQ(testkit::FailureOf(Write("i", "Items", names, nullptr)), "Something is wrong...");
  EXPECT_EQ(Data("in.htm"), kHead + "Items");
  EXPECT_EQ(DataFiles(), (std::set<std::string>{"i.htm", "in.htm"}));
}

TEST_F(CategoryListsTest, CharacterCountThatDoesNotMatchStops) {
  const std::vector<std::string_view> names = {"Bone", "Axe"};
  Count(names);
  counts_['B'] = 2;
  EXPECT_EQ(testkit::FailureOf(Write("i", "Items", names, nullptr)), "Something is wrong...");
  EXPECT_EQ(Data("ic66.htm"), kHead + "Items (B)");
  EXPECT_EQ(Data("ic65.htm"), kHead + "Items (A)" + Link("i", 1, "Axe") + "</body></html>");
}

TEST(NameAfterTest, Order) {
  struct Case {
    std::string_view a, b;
    std::uint32_t numberA, numberB;
    bool after;
  };
  const std::vector<Case> cases = {
      {"axe", "Axe", 0, 1, true},   {"Axe", "axe", 1, 0, false},   {"Axes", "Axe", 0, 1, true},
      {"Axe", "Axes", 1, 0, false}, {"Axe", "Axe", 2, 1, true},    {"Axe", "Axe", 1, 2, false},
      {"Axe", "Axe", 1, 1, false},  {"\x80", "z", 0, 1, true},     {"z", "\xFF", 0, 1, false},
      {"", "A", 5, 0, false},       {"A", "", 0, 5, true},         {"", "", 1, 0, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NameAfter(c.a, c.b, c.numberA, c.numberB), c.after) << c.a << " / " << c.b;
  }
}

// The order must equal the exchange sort that the lists were first defined with.
TEST(SortByNameTest, MatchesExchangeSort) {
  std::mt19937 random(12345);
  const std::vector<std::string> pool = {"", "a", "A", "ab", "aB", "Ab", "abc", "\xE0", "\xE0" "a", "b", "\x7F"};
  for (int round = 0; round < 200; ++round) {
    std::vector<NamedRecord> entries;
    const std::size_t count = random() % 30;
    for (std::size_t i = 0; i < count; ++i) {
      entries.push_back({pool[random() % pool.size()], static_cast<std::uint32_t>(random() % 1000)});
    }
    std::vector<NamedRecord> expected = entries;
    for (std::size_t i = 0; i + 1 < expected.size(); ++i) {
      for (std::size_t j = i + 1; j < expected.size(); ++j) {
        if (NameAfter(expected[i].name, expected[j].name, expected[i].number, expected[j].number)) {
          std::swap(expected[i], expected[j]);
        }
      }
    }
    SortByName(entries);
    ASSERT_EQ(entries.size(), expected.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
      EXPECT_EQ(entries[i].name, expected[i].name) << round << ":" << i;
      EXPECT_EQ(entries[i].number, expected[i].number) << round << ":" << i;
    }
  }
}

// The text of a list page made from what it was given, whatever happens to the caller's copies.
std::string MadeText(ListPage list) {
  PageFile page;
  EXPECT_TRUE(list.make(page));
  return std::string(page.Text());
}

TEST(SortedListPageTest, SortsItsOwnEntries) {
  std::vector<NamedRecord> entries = {{"Bone", 7}, {"Axe", 12}, {"Axe", 3}};
  ListPage list = SortedListPage("il5.htm", "Items<br>Level 5", entries, "i");
  entries.clear();
  EXPECT_EQ(list.fileName, "il5.htm");
  EXPECT_EQ(MadeText(std::move(list)), kHead + "Items<br>Level 5" + Link("i", 3, "Axe") + Link("i", 12, "Axe") +
                                           Link("i", 7, "Bone") + "</body></html>");
}

TEST(SortedListPageTest, WithoutEntries) {
  EXPECT_EQ(MadeText(SortedListPage("x.htm", "T", {}, "u")), kHead + "T</body></html>");
}

}  // namespace
}  // namespace gvde
