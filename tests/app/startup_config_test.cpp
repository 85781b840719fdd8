#include "app/startup_config.h"

#include "app/name_list_warnings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace gvde {
namespace {

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

TEST(HexToNumTest, ConvertsPlainHexDigitsOnly) {
  const std::vector<std::pair<std::string, std::uint32_t>> cases = {
      {"", 0},
      {"0", 0},
      {"4A1000", 0x4A1000},
      {"4a1000", 0x4A1000},
      {"00000010", 0x10},
      {"aBcDeF", 0xABCDEF},
      {"FFFFFFFF", 0xFFFFFFFF},
      {"123456789", 0x23456789},
      {"100000000", 0},
      {"0x4A1000", 0},
      {"$4A1000", 0},
      {"4A1000;", 0},
      {"4A1000 ; note", 0},
      {"4A 1000", 0},
      {" 4A1000", 0},
      {"4A1000 ", 0},
      {"4G", 0},
      {"-1", 0},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(HexToNum(text), value) << text;
}

TEST(PathEndTest, AddsTheSeparatorOnlyWhenMissing) {
  EXPECT_EQ(AddBackslash("C:\\Games"), "C:\\Games\\");
  EXPECT_EQ(AddBackslash("C:\\Games\\"), "C:\\Games\\");
  EXPECT_EQ(AddBackslash("out/"), "out/\\");
  EXPECT_EQ(AddSeparator("out", '/'), "out/");
  EXPECT_EQ(AddSeparator("out/", '/'), "out/");
  EXPECT_EQ(AddSeparator("out\\", '/'), "out\\/");
  EXPECT_EQ(AddSeparator("", '/'), "/");
}

struct LinesCase {
  std::string text;
  std::size_t maxLines;
  std::vector<std::string> lines;
};

TEST(ReadLinesTest, GivesExactlyTheRequestedNumberOfLines) {
  const std::vector<LinesCase> cases = {
      {"", 2, {"", ""}},
      {"a\r\nb\r\n", 3, {"a", "b", ""}},
      {"a\rb\nc", 3, {"a", "b", "c"}},
      {"a\n\nc\n", 3, {"a", "", "c"}},
      {"a\n\rb", 3, {"a", "", "b"}},
      {"a\nb\nc\nd", 2, {"a", "b"}},
      {" x \t\n", 1, {" x \t"}},
  };
  for (const LinesCase& c : cases) EXPECT_EQ(ReadLines(Bytes(c.text), c.maxLines), c.lines) << c.text;
}

// Each test gets its own empty directory below the test temp directory.
class ConfigDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::filesystem::path(::testing::TempDir()) / "gvde_app" / info->name();
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    prefix_ = dir_.string() + "/";
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  void Write(const std::string& name, const std::string& content) {
    std::ofstream(dir_ / name, std::ios::binary) << content;
  }
  std::string Read(const std::string& name) {
    std::ifstream in(dir_ / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  void WriteValidConfiguration() {
    Write("Effect.ini", "Fire\r\nCold\r\n");
    Write("AITypes.ini", "Rotter\nBat\n");
    Write("Address.ini", kAddresses);
  }

  static constexpr const char* kAddresses =
      "; table addresses\r\n"
      "ItemTable=4A1000\r\n"
      "UniqueTable = 4a2000\r\n"
      "MonsterTable=4A3000\r\n"
      "BossTable=4A4000\r\n"
      "SpellTable=4A5000\r\n"
      "AffixTable=4A6000\r\n"
      "Title=4A7000\r\n";

  std::filesystem::path dir_;
  std::string prefix_;
};

struct SettingsCase {
  std::string text;
  std::string gameDir;
  std::string outputDir;
  bool technicalInfo;
};

TEST_F(ConfigDirTest, LoadSettingsReadsThreeLines) {
  const std::vector<SettingsCase> cases = {
      {"C:\\G\\\r\nD:\\O\\\r\n+\r\n", "C:\\G\\", "D:\\O\\", true},
      {"g\no\n-\n", "g", "o", false},
      {"g\ro\r+", "g", "o", true},
      {"g\no\n+ \n", "g", "o", false},
      {"g\no\n +\n", "g", "o", false},
      {"g\no\n++\n", "g", "o", false},
      {"g\n", "g", "", false},
      {"\n\n+", "", "", true},
      {"g\no\n+\nmore\n", "g", "o", true},
      {"", "", "", false},
  };
  for (const SettingsCase& c : cases) {
    Write("Settings.ini", c.text);
    const RememberedSettings settings = LoadSettings(prefix_ + "Settings.ini");
    EXPECT_EQ(settings.gameDir, c.gameDir) << c.text;
    EXPECT_EQ(settings.outputDir, c.outputDir) << c.text;
    EXPECT_EQ(settings.technicalInfo, c.technicalInfo) << c.text;
  }
}

TEST_F(ConfigDirTest, MissingSettingsGiveEmptyValues) {
  const RememberedSettings settings = LoadSettings(prefix_ + "Settings.ini");
  EXPECT_EQ(settings.gameDir, "");
  EXPECT_EQ(settings.outputDir, "");
  EXPECT_FALSE(settings.technicalInfo);
}

TEST_F(ConfigDirTest, SaveSettingsWritesThreeLinesEndedByCrLf) {
  ASSERT_TRUE(SaveSettings(prefix_ + "Settings.ini", {"C:\\Game\\", "D:\\Out\\", true}));
  EXPECT_EQ(Read("Settings.ini"), "C:\\Game\\\r\nD:\\Out\\\r\n+\r\n");
  ASSERT_TRUE(SaveSettings(prefix_ + "Settings.ini", {"", "", false}));
  EXPECT_EQ(Read("Settings.ini"), "\r\n\r\n-\r\n");
}

TEST_F(ConfigDirTest, SavedSettingsLoadBack) {
  ASSERT_TRUE(SaveSettings(prefix_ + "Settings.ini", {"g dir", "o dir", true}));
  const RememberedSettings settings = LoadSettings(prefix_ + "Settings.ini");
  EXPECT_EQ(settings.gameDir, "g dir");
  EXPECT_EQ(settings.outputDir, "o dir");
  EXPECT_TRUE(settings.technicalInfo);
}

TEST_F(ConfigDirTest, SaveSettingsFailsWhenTheFileCannotBeCreated) {
  EXPECT_FALSE(SaveSettings(prefix_ + "missing/Settings.ini", {"g", "o", false}));
}

TEST_F(ConfigDirTest, ValidConfigurationFillsEverything) {
  WriteValidConfiguration();
  Write("Settings.ini", "game\r\nout\r\n+\r\n");
  const StartupResult result = LoadStartupConfiguration(prefix_);
  ASSERT_TRUE(result.ok) << result.message;
  EXPECT_EQ(result.message, "");
  EXPECT_EQ(result.settings.gameDir, "game");
  EXPECT_EQ(result.settings.outputDir, "out");
  EXPECT_TRUE(result.settings.technicalInfo);
  const Configuration& config = result.configuration;
  EXPECT_EQ(config.effectNames[0], "Fire");
  EXPECT_EQ(config.effectNames[1], "Cold");
  EXPECT_EQ(config.effectNames[2], "");
  EXPECT_EQ(config.effectNames[93], "");
  EXPECT_EQ(config.aiTypeNames[0], "Rotter");
  EXPECT_EQ(config.aiTypeNames[1], "Bat");
  EXPECT_EQ(config.aiTypeNames[39], "");
  EXPECT_EQ(config.addresses.itemTable, 0x4A1000u);
  EXPECT_EQ(config.addresses.uniqueTable, 0x4A2000u);
  EXPECT_EQ(config.addresses.monsterTable, 0x4A3000u);
  EXPECT_EQ(config.addresses.bossTable, 0x4A4000u);
  EXPECT_EQ(config.addresses.spellTable, 0x4A5000u);
  EXPECT_EQ(config.addresses.affixTable, 0x4A6000u);
  EXPECT_EQ(config.addresses.title, 0x4A7000u);
}

TEST_F(ConfigDirTest, NameListsTakeTheirFirstLinesOnly) {
  WriteValidConfiguration();
  std::string effects;
  for (int i = 0; i < 95; ++i) effects += "E" + std::to_string(i) + "\r";
  Write("Effect.ini", effects);
  std::string aiTypes;
  for (int i = 0; i < 41; ++i) aiTypes += "A" + std::to_string(i) + "\n";
  Write("AITypes.ini", aiTypes);
  const StartupResult result = LoadStartupConfiguration(prefix_);
  ASSERT_TRUE(result.ok) << result.message;
  EXPECT_EQ(result.configuration.effectNames[93], "E93");
  EXPECT_EQ(result.configuration.aiTypeNames[39], "A39");
  EXPECT_FALSE(result.settings.technicalInfo);
}

TEST_F(ConfigDirTest, MissingFilesStopInOrder) {
  EXPECT_EQ(LoadStartupConfiguration(prefix_).message, "Cannot read Effect.ini");
  Write("Address.ini", kAddresses);
  Write("AITypes.ini", "a");
  EXPECT_EQ(LoadStartupConfiguration(prefix_).message, "Cannot read Effect.ini");
  Write("Effect.ini", "");
  std::filesystem::remove(dir_ / "AITypes.ini");
  EXPECT_EQ(LoadStartupConfiguration(prefix_).message, "Cannot read AITypes.ini");
  Write("AITypes.ini", "");
  std::filesystem::remove(dir_ / "Address.ini");
  const StartupResult result = LoadStartupConfiguration(prefix_);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.message, "Cannot read Address.ini");
}

TEST_F(ConfigDirTest, FilesAboveOneMebibyteCannotBeRead) {
  WriteValidConfiguration();
  // Valid name lists, padded with blank lines: 1 MiB is read, one byte more is not.
  const std::string names = "Fire\r\n";
  Write("Effect.ini", names + std::string((1u << 20) - names.size(), '\n'));
  EXPECT_TRUE(LoadStartupConfiguration(prefix_).ok);
  Write("Effect.ini", names + std::string(3u << 20, '\n'));
  EXPECT_EQ(LoadStartupConfiguration(prefix_).message, "Cannot read Effect.ini");
  Write("Effect.ini", names);
  Write("AITypes.ini", names + std::string(1u << 20, '\n'));
  EXPECT_EQ(LoadStartupConfiguration(prefix_).message, "Cannot read AITypes.ini");
  Write("AITypes.ini", names);
  Write("Address.ini", kAddresses + std::string((1u << 20) + 1 - std::string(kAddresses).size(), '\n'));
  EXPECT_EQ(LoadStartupConfiguration(prefix_).message, "Cannot read Address.ini");
  // Settings.ini has no message of its own: too large, it is as missing.
  Write("Address.ini", kAddresses);
  Write("Settings.ini", "C:\\game\\\r\nC:\\site\\\r\n+\r\n" + std::string(1u << 20, '\n'));
  const StartupResult result = LoadStartupConfiguration(prefix_);
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.settings.gameDir, "");
}

TEST_F(ConfigDirTest, InvalidAddressIniCannotBeRead) {
  WriteValidConfiguration();
  const std::vector<std::string> texts = {
      "", "[g]\n", std::string(kAddresses) + "ItemTable=1\n", std::string(kAddresses) + "bad line\n"};
  for (const std::string& text : texts) {
    Write("Address.ini", text);
    const StartupResult result = LoadStartupConfiguration(prefix_);
    EXPECT_FALSE(result.ok) << text;
    EXPECT_EQ(result.message, "Cannot read Address.ini") << text;
  }
}

struct AddressCase {
  std::string text;
  std::string message;
};

TEST_F(ConfigDirTest, UnusableAddressesStopAtTheFirstKey) {
  const std::string rest = "SpellTable=5\nAffixTable=6\nTitle=7\n";
  const std::string all = "ItemTable=1\nUniqueTable=2\nMonsterTable=3\nBossTable=4\n" + rest;
  const std::vector<AddressCase> cases = {
      {"UniqueTable=2\nMonsterTable=3\nBossTable=4\n" + rest, "ItemTable offset equals 0"},
      {"ItemTable=0x1\nUniqueTable=0\n", "ItemTable offset equals 0"},
      {"ItemTable=$1\n", "ItemTable offset equals 0"},
      {"ItemTable=1 ; note\n", "ItemTable offset equals 0"},
      {"ItemTable=4A 1000\n", "ItemTable offset equals 0"},
      {"itemtable=1\n", "ItemTable offset equals 0"},
      {"ItemTable=\n", "ItemTable offset equals 0"},
      {"ItemTable=00000000\n", "ItemTable offset equals 0"},
      {"ItemTable=1\nUniqueTable=0\n", "UniqueTable offset equals 0"},
      {"ItemTable=1\nUniqueTable=2\n", "MonsterTable offset equals 0"},
      {"ItemTable=1\nUniqueTable=2\nMonsterTable=3\n", "BossTable offset equals 0"},
      {"ItemTable=1\nUniqueTable=2\nMonsterTable=3\nBossTable=4\n", "SpellTable offset equals 0"},
      {"ItemTable=1\nUniqueTable=2\nMonsterTable=3\nBossTable=4\nSpellTable=5\n",
       "AffixTable offset equals 0"},
      {"ItemTable=1\nUniqueTable=2\nMonsterTable=3\nBossTable=4\nSpellTable=5\nAffixTable=6\n",
       "Title offset equals 0"},
      // Entries under a group are not searched while ungrouped entries exist.
      {"Title=7\n[g]\n" + all, "ItemTable offset equals 0"},
      {"[g]\nItemTable=1\n[h]\n" + all, "UniqueTable offset equals 0"},
  };
  WriteValidConfiguration();
  for (const AddressCase& c : cases) {
    Write("Address.ini", c.text);
    const StartupResult result = LoadStartupConfiguration(prefix_);
    EXPECT_FALSE(result.ok) << c.text;
    EXPECT_EQ(result.message, c.message) << c.text;
  }
}

struct DetailCase {
  std::string text;
  std::string message;
  std::string detail;  // after the path of Address.ini
};

// Every mistake gets its own detail line; the message stays the one start-up has always shown.
TEST_F(ConfigDirTest, AddressMistakesAreNamedInTheDetailLine) {
  const std::string rest = "UniqueTable=2\nMonsterTable=3\nBossTable=4\nSpellTable=5\nAffixTable=6\nTitle=7\n";
  const std::string bom = "\xEF\xBB\xBF";
  const std::vector<DetailCase> cases = {
      {"; tables\n" + rest + "ItemTabel=1\n", "ItemTable offset equals 0", " line 8: unknown key \"ItemTabel\""},
      {"itemtable=1\n" + rest, "ItemTable offset equals 0",
       " line 1: unknown key \"itemtable\": keys are case-sensitive, write ItemTable"},
      {rest + "Comment=1\n", "ItemTable offset equals 0", ": no ItemTable line"},
      {rest, "ItemTable offset equals 0", ": no ItemTable line"},
      {"ItemTable=1\nUniqueTable=0x4A1000\n", "UniqueTable offset equals 0",
       " line 2: UniqueTable value \"0x4A1000\": write the digits without 0x"},
      {"ItemTable=$4A1000\n", "ItemTable offset equals 0", " line 1: ItemTable value \"$4A1000\": write the digits without $"},
      {"ItemTable=4X1000\n", "ItemTable offset equals 0", " line 1: ItemTable value \"4X1000\": bad hex digit \"X\""},
      {"ItemTable=4A 1000\n", "ItemTable offset equals 0", " line 1: ItemTable value \"4A 1000\" has a space in it"},
      {"ItemTable=4A1000 ; note\n", "ItemTable offset equals 0",
       " line 1: ItemTable value \"4A1000 ; note\": a comment needs a line of its own, starting with \";\""},
      {"ItemTable=\n", "ItemTable offset equals 0", " line 1: ItemTable has no value"},
      {"ItemTable=000\n", "ItemTable offset equals 0", " line 1: ItemTable value \"000\" is 0: give the address in GV.exe"},
      {"ItemTable=100000000\n", "ItemTable offset equals 0", " line 1: ItemTable value \"100000000\" has more than 8 digits"},
      {"Title=7\n[v2]\nItemTable=1\n", "ItemTable offset equals 0",
       " line 3: ItemTable stands under a group line, but only the lines above the first group line are read"},
      {"[v1]\nTitle=7\n[v2]\nItemTable=1\n", "ItemTable offset equals 0",
       " line 4: ItemTable stands under a group line, but only the first group is read"},
      {bom + "ItemTable=1\n" + rest, "ItemTable offset equals 0", " starts with a UTF-8 byte order mark: save it without one"},
      {bom + "; tables\nItemTable=1\n" + rest, "Cannot read Address.ini",
       " starts with a UTF-8 byte order mark: save it without one"},
  };
  WriteValidConfiguration();
  for (const DetailCase& c : cases) {
    Write("Address.ini", c.text);
    const StartupResult result = LoadStartupConfiguration(prefix_);
    EXPECT_FALSE(result.ok) << c.text;
    EXPECT_EQ(result.message, c.message) << c.text;
    EXPECT_EQ(result.detail, prefix_ + "Address.ini" + c.detail) << c.text;
  }
}

TEST_F(ConfigDirTest, NameListsThatAreShortOrUtf8GiveOneWarningEach) {
  WriteValidConfiguration();
  std::string effects;
  for (int i = 0; i < 94; ++i) effects += "E" + std::to_string(i) + "\r\n";
  std::string aiTypes;
  for (int i = 0; i < 40; ++i) aiTypes += "A" + std::to_string(i) + "\r\n";
  Write("Effect.ini", effects);
  Write("AITypes.ini", aiTypes + "Gl\xC3\xBC" "ck\r\n");  // beyond the 40 names, still UTF-8
  StartupResult result = LoadStartupConfiguration(prefix_);
  ASSERT_TRUE(result.ok);
  EXPECT_EQ(result.warnings, std::vector<std::string>{prefix_ + "AITypes.ini is saved as UTF-8 (line 41 has letters outside "
                                                      "ASCII), but the game's texts are Windows-1252: those letters show "
                                                      "wrongly on the pages; save it as Windows-1252"});
  Write("AITypes.ini", aiTypes.substr(0, aiTypes.find("A39")) + "Gl\xFC" "ck\r\n");  // Windows-1252: no warning
  Write("Effect.ini", effects.substr(0, effects.find("E89")));
  result = LoadStartupConfiguration(prefix_);
  ASSERT_TRUE(result.ok);
  EXPECT_EQ(result.warnings, std::vector<std::string>{prefix_ + "Effect.ini has 89 lines for 94 effect codes: effect codes "
                                                      "89 to 93 get empty names, which show as nothing on the pages"});
  Write("Effect.ini", effects);
  Write("AITypes.ini", aiTypes.substr(0, aiTypes.find("A39")));
  EXPECT_EQ(LoadStartupConfiguration(prefix_).warnings,
            std::vector<std::string>{prefix_ + "AITypes.ini has 39 lines for 40 AI types: AI type 39 gets an empty "
                                               "name, which shows as nothing on the pages"});
}

TEST(Utf8Test, ValidSequencesBeyondAsciiOnly) {
  EXPECT_TRUE(IsUtf8BeyondAscii("Gl\xC3\xBC" "ck"));
  EXPECT_TRUE(IsUtf8BeyondAscii("\xEF\xBB\xBFplain"));  // a byte order mark
  EXPECT_TRUE(IsUtf8BeyondAscii("\xF0\x9F\x98\x80"));
  EXPECT_FALSE(IsUtf8BeyondAscii("plain"));
  EXPECT_FALSE(IsUtf8BeyondAscii("Gl\xFC" "ck"));
  EXPECT_FALSE(IsUtf8BeyondAscii("\xC3"));          // cut short
  EXPECT_FALSE(IsUtf8BeyondAscii("\xC3\x41"));      // no continuation
  EXPECT_FALSE(IsUtf8BeyondAscii("\xC0\xBC"));      // overlong
}

TEST_F(ConfigDirTest, AddressesInTheFirstGroupAreFoundWithoutUngroupedEntries) {
  WriteValidConfiguration();
  Write("Address.ini",
        "[Version1]\nItemTable=1\nUniqueTable=2\nMonsterTable=3\nBossTable=4\nSpellTable=5\n"
        "AffixTable=6\nTitle=ffffffff\n[Version2]\nItemTable=9\n");
  const StartupResult result = LoadStartupConfiguration(prefix_);
  ASSERT_TRUE(result.ok) << result.message;
  EXPECT_EQ(result.configuration.addresses.itemTable, 1u);
  EXPECT_EQ(result.configuration.addresses.title, 0xFFFFFFFFu);
}

}  // namespace
}  // namespace gvde
