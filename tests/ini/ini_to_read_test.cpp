#include "ini/ini_to_read.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace gvde {
namespace {

// Each test gets its own empty directory below the test temp directory.
class IniFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::filesystem::path(::testing::TempDir()) / "gvde_ini" / info->name();
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string Write(const std::string& content) {
    const std::filesystem::path path = dir_ / ("file" + std::to_string(files_++) + ".ini");
    std::ofstream(path, std::ios::binary) << content;
    return path.string();
  }

  std::filesystem::path dir_;
  int files_ = 0;
};

struct FailureCase {
  std::string text;
  std::string message;
};

TEST_F(IniFileTest, InvalidFilesFailWithTheirMessage) {
  const std::vector<FailureCase> cases = {
      {"=1", "Void entry name"},
      {"  = 1", "Void entry name"},
      {"[abc", "Unfinished group name"},
      {"a=1\n  [abc = 1", "Unfinished group name"},
      {"[]", "Void group name"},
      {"  [] ; c", "Void group name"},
      {"[a b]", "Invalid group name"},
      {"[ a]", "Invalid group name"},
      {"[a ]", "Invalid group name"},
      {"[a;b]", "Invalid group name"},
      {"[a=b]", "Invalid group name"},
      {"[a[b]", "Invalid group name"},
      {"[a] x", "Garbage after a group name"},
      {"[a]x", "Garbage after a group name"},
      {"[a]]", "Garbage after a group name"},
      {"[a]\t", "Garbage after a group name"},
      {"abc", "Row without \"=\""},
      {"  ", "Row without \"=\""},
      {"a=1\n \nb=2", "Row without \"=\""},
      {"\t", "Row without \"=\""},
      {"a b=1", "Invalid entry name"},
      {"a;b=1", "Invalid entry name"},
      {"a[b=1", "Invalid entry name"},
      {"a]b=1", "Invalid entry name"},
      {"", "File does not contain any entry"},
      {"; only a comment\n\n   ; another\r\n", "File does not contain any entry"},
      {"[g]\n[h] ; c\n", "File does not contain any entry"},
      {"a=1\na=2", "Repeating entry name"},
      {"a=1\nb=2\na=3", "Repeating entry name"},
      {"[g]\na=1\nb=1\na=1", "Repeating entry name"},
      {"[g]\na=1\n[h]\nb=1\n[g]\nc=1", "Repeating group name"},
      // Every line is checked before any repeated name is looked for.
      {"a=1\na=2\n[x", "Unfinished group name"},
      {"[g]\n[g]\nabc", "Row without \"=\""},
  };
  for (const FailureCase& c : cases) {
    INIToRead reader;
    EXPECT_FALSE(reader.Load(Write(c.text))) << c.text;
    EXPECT_EQ(reader.LastError(), c.message) << c.text;
    EXPECT_EQ(reader.GetValue("a", "-"), "-") << c.text;  // nothing of a failed load is found
  }
}

TEST_F(IniFileTest, MissingFileCannotBeRead) {
  INIToRead reader;
  EXPECT_FALSE(reader.Load((dir_ / "absent.ini").string()));
  EXPECT_EQ(reader.LastError(), "Cannot read INI file");
  EXPECT_FALSE(reader.Load(dir_.string()));
  EXPECT_EQ(reader.LastError(), "Cannot read INI file");
}

struct ValueCase {
  std::string text;
  bool valueComments;
  std::string name;
  std::string value;
};

TEST_F(IniFileTest, EntryLinesAreNormalised) {
  const std::vector<ValueCase> cases = {
      {"  ItemTable =  4A1000  ", false, "ItemTable", "4A1000"},
      {"a=", false, "a", ""},
      {"a =   ", false, "a", ""},
      {"a=   ", true, "a", ""},
      {"a=b = c  d", false, "a", "b = c  d"},
      {"a==", false, "a", "="},
      {"a=4A1000 ; note", false, "a", "4A1000 ; note"},
      {"a=4A1000 ; note", true, "a", "4A1000 "},
      {"a=  x;y;z", true, "a", "x"},
      {"a=;x;y", true, "a", ";x"},
      {"a=;", true, "a", ";"},
      {"a=x  ", true, "a", "x  "},
      {"a=\t1\t", false, "a", "\t1\t"},
      {"\ta=1", false, "\ta", "1"},
      {"a\t=1", false, "a\t", "1"},
      {"a.b-c_d!=v", false, "a.b-c_d!", "v"},
  };
  for (const ValueCase& c : cases) {
    INIToRead reader;
    reader.SetValueComments(c.valueComments);
    ASSERT_TRUE(reader.Load(Write(c.text))) << c.text << ": " << reader.LastError();
    EXPECT_EQ(reader.LastError(), "");
    EXPECT_EQ(reader.GetValue(c.name, "default"), c.value) << c.text;
    EXPECT_EQ(reader.LastError(), "") << c.text;
  }
}

TEST_F(IniFileTest, ValueCommentsAreOffAfterConstruction) {
  INIToRead reader;
  ASSERT_TRUE(reader.Load(Write("a=1;2")));
  EXPECT_EQ(reader.GetValue("a", ""), "1;2");
}

struct LookupCase {
  std::string text;
  std::string name;
  bool found;
  std::string value;
};

TEST_F(IniFileTest, LookupsSearchOnlyTheCurrentGroup) {
  const std::vector<LookupCase> cases = {
      {"\ta=1", "a", false, ""},
      {"ItemTable=1", "itemtable", false, ""},
      {"ItemTable=1", "ItemTable ", false, ""},
      {"[g] ; comment\na=1", "a", true, "1"},
      {"[g]   \r\na=1", "a", true, "1"},
      {"[g];x\na=1", "a", true, "1"},
      {"  [g]\na=1", "a", true, "1"},
      // Entries before the first group line are the only ones searched.
      {"x=0\n[g]\na=1", "a", false, ""},
      {"x=0\n[g]\na=1", "x", true, "0"},
      {"x=0\n[g]\nx=1", "x", true, "0"},
      // Without such entries only the first group is searched.
      {"[g]\na=1\n[h]\na=2\nb=3", "a", true, "1"},
      {"[g]\na=1\n[h]\na=2\nb=3", "b", false, ""},
      {"; c\n\n[g]\n[h]\nb=3", "b", false, ""},
      {"[G]\na=1\n[g]\na=2", "a", true, "1"},
  };
  for (const LookupCase& c : cases) {
    INIToRead reader;
    ASSERT_TRUE(reader.Load(Write(c.text))) << c.text << ": " << reader.LastError();
    EXPECT_EQ(reader.GetValue(c.name, "dflt"), c.found ? c.value : "dflt") << c.text;
    EXPECT_EQ(reader.LastError(), c.found ? "" : "Value is not found") << c.text;
  }
}

TEST_F(IniFileTest, LinesEndAtCarriageReturnLineFeedOrBoth) {
  INIToRead reader;
  ASSERT_TRUE(reader.Load(Write("a=1\rb=2\r\nc=3\nd=4\n\re=5")));
  EXPECT_EQ(reader.GetValue("a", ""), "1");
  EXPECT_EQ(reader.GetValue("b", ""), "2");
  EXPECT_EQ(reader.GetValue("c", ""), "3");
  EXPECT_EQ(reader.GetValue("d", ""), "4");
  EXPECT_EQ(reader.GetValue("e", ""), "5");
  EXPECT_EQ(reader.LastError(), "");
}

TEST_F(IniFileTest, TextInMemoryLoadsAsTheFileWould) {
  const std::string text("x=0\r\n[g]\na=b\0c ; d\n", 19);
  INIToRead fromFile;
  INIToRead fromText;
  ASSERT_TRUE(fromFile.Load(Write(text)));
  ASSERT_TRUE(fromText.LoadText(text));
  EXPECT_EQ(fromText.GetValue("x", ""), "0");
  EXPECT_EQ(fromFile.GetValue("x", ""), "0");
  ASSERT_TRUE(fromText.LoadText(text.substr(5)));  // from "[g]" on
  EXPECT_EQ(fromText.GetValue("a", ""), std::string("b\0c ; d", 7));
  EXPECT_FALSE(fromText.LoadText("a=1\na=2"));
  EXPECT_EQ(fromText.LastError(), "Repeating entry name");
}

TEST_F(IniFileTest, SplitLinesKeepsEmptyLinesAndALastLineWithoutEnd) {
  EXPECT_EQ(SplitLines(""), std::vector<std::string_view>{});
  EXPECT_EQ(SplitLines("a"), std::vector<std::string_view>{"a"});
  EXPECT_EQ(SplitLines("a\r\n"), std::vector<std::string_view>{"a"});
  EXPECT_EQ(SplitLines("a\n\rb"), (std::vector<std::string_view>{"a", "", "b"}));
  EXPECT_EQ(SplitLines("\r\r\n\n"), (std::vector<std::string_view>{"", "", ""}));
}

TEST_F(IniFileTest, FoundValueLeavesTheLastErrorAsItWas) {
  INIToRead reader;
  ASSERT_TRUE(reader.Load(Write("a=1")));
  EXPECT_EQ(reader.GetValue("b", "x"), "x");
  EXPECT_EQ(reader.GetValue("a", "x"), "1");
  EXPECT_EQ(reader.LastError(), "Value is not found");
}

TEST_F(IniFileTest, LookupsAfterAFailedLoadFindNothing) {
  const std::vector<std::string> texts = {"a=1\na=2", "[g]\na=1\n[g]\nb=1", "a=1\nb"};
  for (const std::string& text : texts) {
    INIToRead reader;
    ASSERT_FALSE(reader.Load(Write(text))) << text;
    EXPECT_EQ(reader.GetValue("a", "none"), "none") << text;
    EXPECT_EQ(reader.LastError(), "Value is not found") << text;
  }
  INIToRead fresh;
  EXPECT_EQ(fresh.GetValue("a", "none"), "none");
  EXPECT_EQ(fresh.LastError(), "Value is not found");
}

TEST_F(IniFileTest, LoadingAgainReplacesTheEarlierContents) {
  INIToRead reader;
  ASSERT_TRUE(reader.Load(Write("x=0\n[g]\na=1")));
  ASSERT_TRUE(reader.Load(Write("[h]\na=2")));
  EXPECT_EQ(reader.GetValue("a", ""), "2");
  EXPECT_EQ(reader.GetValue("x", "gone"), "gone");

  EXPECT_FALSE(reader.Load(Write("a=3\na=4")));
  EXPECT_EQ(reader.GetValue("a", "gone"), "gone");

  ASSERT_TRUE(reader.Load(Write("a=5")));
  EXPECT_EQ(reader.LastError(), "");
  EXPECT_EQ(reader.GetValue("a", ""), "5");
}

}  // namespace
}  // namespace gvde
