// gvde-cli's setup commands as a user runs them on a game folder without a configuration:
// --find-addresses, --write-config, --check, and the run's warning about a wrong table.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "demogame/demo_game.h"
#include "demogame/pe_builder.h"
#include "game/table_evidence.h"
#include "testkit/temp_dir.h"

namespace gvde::testkit {
namespace {

using demogame::DemoLayout;

// The lines that are not ";" comments, line ends made plain.
std::string Entries(const std::string& text) {
  std::istringstream in(text);
  std::string line;
  std::string entries;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.starts_with(";")) entries += line + "\n";
  }
  return entries;
}

std::string WithCrLf(const std::string& text) {
  std::string result;
  for (const char c : text) result += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return result;
}

class SetupCommands : public ::testing::Test {
 protected:
  void Generate(const demogame::DemoOptions& options = {}) {
    ASSERT_TRUE(demogame::WriteDemoGame(dir_.path(), options, &summary_));
  }
  CommandResult Cli(const std::vector<std::string>& args) { return RunProgram(dir_.path(), GVDE_CLI_PATH, args); }
  void WriteAddresses(const std::string& folder, std::uint32_t itemTable) {
    std::string text = ReadFileText(dir_.File("Address.ini"));
    const std::string right = "ItemTable=" + AddressText(summary_.addresses.itemTable);
    text.replace(text.find(right), right.size(), "ItemTable=" + AddressText(itemTable));
    dir_.FreshSubdir(folder);
    ASSERT_TRUE(WriteFileText(dir_.File(folder + "/Address.ini"), text));
    ASSERT_TRUE(WriteFileText(dir_.File(folder + "/Effect.ini"), ReadFileText(dir_.File("Effect.ini"))));
    ASSERT_TRUE(WriteFileText(dir_.File(folder + "/AITypes.ini"), ReadFileText(dir_.File("AITypes.ini"))));
  }
  // Every file of the two sites, byte for byte.
  void ExpectSameSite(const std::string& a, const std::string& b) {
    const std::vector<std::string> files = ListFiles(dir_.File(a));
    ASSERT_EQ(files, ListFiles(dir_.File(b)));
    ASSERT_GT(files.size(), 1000u);
    for (const std::string& file : files) {
      EXPECT_EQ(ReadFileText(dir_.File(a + "/" + file)), ReadFileText(dir_.File(b + "/" + file))) << file;
    }
  }

  TempDir dir_;
  demogame::DemoSummary summary_;
};

TEST_F(SetupCommands, FindAddressesProposesTheGeneratorsAddressesOnEveryLayout) {
  for (const DemoLayout layout : {DemoLayout::Standard, DemoLayout::Shuffled}) {
    Generate({1, layout});
    const CommandResult r = Cli({"--find-addresses", "game"});
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(Entries(r.out), Entries(ReadFileText(dir_.File("Address.ini"))));
    EXPECT_TRUE(r.out.ends_with("; All six tables were found with high confidence.\n")) << r.out;
  }
}

TEST_F(SetupCommands, AWrittenConfigurationGivesTheGeneratorsSite) {
  Generate();
  const CommandResult found = Cli({"--find-addresses", "--write-config", "cfg", "game"});
  EXPECT_EQ(found.exitCode, 0) << found.out;
  EXPECT_EQ(found.err, "Wrote cfg/Address.ini\nWrote cfg/Effect.ini\nWrote cfg/AITypes.ini\n");
  EXPECT_EQ(ReadFileText(dir_.File("cfg/Address.ini")), WithCrLf(found.out));
  const CommandResult run = Cli({"--keep-going", "--config", "cfg", "game", "site"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err.find("Warning"), std::string::npos) << run.err;

  // The generator's addresses with the placeholder names: the very same site.
  WriteAddresses("reference", summary_.addresses.itemTable);
  ASSERT_TRUE(WriteFileText(dir_.File("reference/Effect.ini"), ReadFileText(dir_.File("cfg/Effect.ini"))));
  ASSERT_TRUE(WriteFileText(dir_.File("reference/AITypes.ini"), ReadFileText(dir_.File("cfg/AITypes.ini"))));
  EXPECT_EQ(Cli({"--keep-going", "--config", "reference", "game", "reference-site"}).exitCode, 0);
  ExpectSameSite("site", "reference-site");

  // Written once, kept after.
  const std::string effects = ReadFileText(dir_.File("cfg/Effect.ini"));
  EXPECT_TRUE(effects.starts_with("Effect 0\r\nEffect 1\r\n") && effects.ends_with("\r\nEffect 93\r\n")) << effects;
  ASSERT_TRUE(WriteFileText(dir_.File("cfg/AITypes.ini"), "Mine\r\n"));
  const CommandResult again = Cli({"--find-addresses", "--write-config=cfg", "game"});
  EXPECT_EQ(again.exitCode, 0);
  EXPECT_EQ(again.err, "Kept cfg/Address.ini: it exists already\nKept cfg/Effect.ini: it exists already\n"
                       "Kept cfg/AITypes.ini: it exists already\n");
  EXPECT_EQ(ReadFileText(dir_.File("cfg/AITypes.ini")), "Mine\r\n");
}

TEST_F(SetupCommands, CheckAndTheRunJudgeTheConfiguredTables) {
  Generate();
  const CommandResult right = Cli({"--check", "game"});
  EXPECT_EQ(right.exitCode, 0) << right.out;
  EXPECT_EQ(right.err, "");
  EXPECT_TRUE(right.out.starts_with("ItemTable " + AddressText(summary_.addresses.itemTable) +
                                    ": 165 records, 165 names readable, ")) << right.out;
  EXPECT_TRUE(right.out.ends_with("Title " + AddressText(summary_.addresses.title) +
                                  ": \"Grimveil v1.09b (demo data)\": ok\nVerdict: every table looks right\n"))
      << right.out;
  const CommandResult rightRun = Cli({"--keep-going", "game", "site"});
  EXPECT_EQ(rightRun.exitCode, 0);
  EXPECT_EQ(rightRun.err.find("Warning"), std::string::npos) << rightRun.err;

  // ItemTable two bytes off: --check names it and the right address; the run warns first and
  // otherwise goes as it would.
  const std::uint32_t moved = summary_.addresses.itemTable + 2;
  WriteAddresses("moved", moved);
  const CommandResult check = Cli({"--check", "--config", "moved", "game"});
  EXPECT_EQ(check.exitCode, 1) << check.out;
  EXPECT_NE(check.out.find(": wrong\n  the finder proposes ItemTable=" + AddressText(summary_.addresses.itemTable) +
                           " (165 records, 165 names readable, "),
            std::string::npos)
      << check.out;
  EXPECT_TRUE(check.out.ends_with("Verdict: ItemTable does not look right\n")) << check.out;
  const CommandResult movedRun = Cli({"--keep-going", "--config", "moved", "game", "moved-site"});
  EXPECT_EQ(movedRun.exitCode, rightRun.exitCode);
  EXPECT_EQ(movedRun.out, rightRun.out);
  const std::string warning = "Warning: ItemTable at " + AddressText(moved) + " does not look like the item table (";
  ASSERT_TRUE(movedRun.err.starts_with(warning)) << movedRun.err;
  const std::size_t lineEnd = movedRun.err.find('\n');
  EXPECT_TRUE(movedRun.err.substr(0, lineEnd).ends_with("); gvde-cli --check --config moved game tells more"))
      << movedRun.err;
  EXPECT_EQ(WithoutSummary(movedRun.err.substr(lineEnd + 1)), WithoutSummary(rightRun.err));
  // A folder whose name a shell would split or unquote is quoted in the command to copy.
  WriteAddresses("it's moved", moved);
  const CommandResult quoted = Cli({"--keep-going", "--config", "it's moved", "game", "quoted-site"});
  EXPECT_NE(quoted.err.find("); gvde-cli --check --config 'it'\\''s moved' game tells more\n"),
            std::string::npos)
      << quoted.err;

  // A configuration a run refuses, and a GV.exe that does not load.
  ASSERT_TRUE(WriteFileText(dir_.File("moved/Address.ini"), "ItemTable=0x4A1000\r\n"));
  const CommandResult refused = Cli({"--check", "--config", "moved", "game"});
  EXPECT_EQ(refused.exitCode, 2);
  EXPECT_EQ(refused.out, "");
  EXPECT_EQ(refused.err, "Error: ItemTable offset equals 0\n"
                         "  moved/Address.ini line 1: ItemTable value \"0x4A1000\": write the digits without 0x\n");
  const CommandResult noGame = Cli({"--check", "nowhere"});
  EXPECT_EQ(noGame.exitCode, 1);
  EXPECT_EQ(noGame.err, "Error: Cannot open GV.exe file\n  nowhere/GV.exe: No such file or directory\n");
}

TEST_F(SetupCommands, AProgramWithoutTablesGetsNoConfidentAddress) {
  demogame::PeBuilder pe;
  for (int i = 0; i < 50; ++i) pe.AddString("Some text of a program " + std::to_string(i));
  dir_.MakeSubdir("other");
  const std::vector<std::uint8_t> exe = pe.Build();
  ASSERT_TRUE(WriteFileText(dir_.File("other/GV.exe"), std::string(exe.begin(), exe.end())));
  const CommandResult r = Cli({"--find-addresses", "other"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.out.find("; ItemTable: nothing found; write its address here by hand\nItemTable=\n"), std::string::npos)
      << r.out;
  EXPECT_TRUE(r.out.ends_with("; Not found with high confidence: ItemTable, UniqueTable, MonsterTable, BossTable, "
                              "SpellTable, AffixTable.\n"))
      << r.out;
}

TEST_F(SetupCommands, UsageOfTheNewOptions) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--find-addresses", "game", "site"},
           {"--find-addresses"},
           {"--check", "--find-addresses", "game"},
           {"--write-config", "cfg", "game", "site"},
           {"--find-addresses", "--write-config"},
           {"--check", "game", "site"}}) {
    EXPECT_EQ(Cli(args).exitCode, 2) << args.front();
  }
  const std::string help = Cli({"--help"}).out;
  for (const char* option : {"--find-addresses", "--write-config DIR", "--check"}) {
    EXPECT_NE(help.find(option), std::string::npos) << option;
  }
}

}  // namespace
}  // namespace gvde::testkit
