// Every message of start-up and of the run, reached through gvde-cli, with its exit status.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "demogame/demo_game.h"
#include "demogame/demo_pictures.h"
#include "demogame/mpq_builder.h"
#include "demogame/sprite_encoders.h"
#include "testkit/temp_dir.h"

namespace gvde::testkit {
namespace {

namespace fs = std::filesystem;
using demogame::BuildCelFile;
using demogame::BuildMpq;
using demogame::DemoOptions;
using demogame::DemoPalette;
using demogame::DrawItemPicture;
using demogame::MpqFile;
using demogame::SpritePicture;
using demogame::WriteDemoGame;

class RunMessages : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(WriteDemoGame(dir_.path(), DemoOptions{}, nullptr)); }

  CommandResult Cli(const std::vector<std::string>& args) { return RunProgram(dir_.path(), GVDE_CLI_PATH, args); }

  // One "Error: ..." line, nothing on stdout, the given exit status.
  void ExpectOnlyError(const std::vector<std::string>& args, const std::string& message, int exitCode) {
    CommandResult r = Cli(args);
    EXPECT_EQ(r.exitCode, exitCode) << message;
    EXPECT_EQ(r.out, "") << message;
    EXPECT_EQ(r.err, "Error: " + message + "\n");
  }

  void ReplaceAddress(const std::string& key, const std::string& value) {
    std::string text = ReadFileText(dir_.File("Address.ini"));
    const std::size_t at = text.find(key + "=");
    ASSERT_NE(at, std::string::npos);
    const std::size_t end = text.find("\r\n", at);
    text.replace(at, end - at, value.empty() ? std::string() : key + "=" + value);
    ASSERT_TRUE(WriteFileText(dir_.File("Address.ini"), text));
  }

  // Replaces both archives: a palette in the first, `files` in the second.
  void ReplaceArchives(const std::vector<MpqFile>& files) {
    ASSERT_TRUE(BuildMpq(dir_.File("game/gvdata.mor"), {{"levels\\l1data\\l1.pal", DemoPalette()}}));
    ASSERT_TRUE(BuildMpq(dir_.File("game/kelddat.mpq"), files));
  }

  TempDir dir_;
};

TEST_F(RunMessages, UsageAndInformation) {
  EXPECT_EQ(Cli({}).exitCode, 2);
  EXPECT_EQ(Cli({"game"}).exitCode, 2);
  EXPECT_EQ(Cli({"game", "site", "extra"}).exitCode, 2);
  EXPECT_EQ(Cli({"--bogus", "game", "site"}).exitCode, 2);
  EXPECT_EQ(Cli({"--keep-going", "--stop-on-image-error", "game", "site"}).exitCode, 2);
  for (const char* jobs : {"0", "65", "x", "4x", "-1", ""}) {
    const CommandResult r = Cli({"--jobs", jobs, "game", "site"});
    EXPECT_EQ(r.exitCode, 2) << jobs;
    EXPECT_NE(r.err.find("--jobs needs"), std::string::npos) << jobs << ": " << r.err;
  }
  CommandResult help = Cli({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("Usage: gvde-cli"), std::string::npos);
  CommandResult version = Cli({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out, "gvde-cli 1.1.4\n");
  EXPECT_FALSE(FileExists(dir_.File("site")));
}

TEST_F(RunMessages, StartupFailuresStopBeforeTheRun) {
  fs::rename(dir_.File("Address.ini"), dir_.File("Address.bak"));
  ExpectOnlyError({"game", "site"}, "Cannot read Address.ini", 2);
  fs::rename(dir_.File("Address.bak"), dir_.File("Address.ini"));
  fs::rename(dir_.File("AITypes.ini"), dir_.File("AITypes.bak"));
  ExpectOnlyError({"game", "site"}, "Cannot read AITypes.ini", 2);
  fs::rename(dir_.File("Effect.ini"), dir_.File("Effect.bak"));
  ExpectOnlyError({"game", "site"}, "Cannot read Effect.ini", 2);
  EXPECT_FALSE(FileExists(dir_.File("site")));
}

TEST_F(RunMessages, AddressFileProblems) {
  ReplaceAddress("MonsterTable", "0x409000");
  ExpectOnlyError({"game", "site"}, "MonsterTable offset equals 0", 2);
  ReplaceAddress("MonsterTable", "");
  ExpectOnlyError({"game", "site"}, "MonsterTable offset equals 0", 2);
  ReplaceAddress("ItemTable", "12 34");
  ExpectOnlyError({"game", "site"}, "ItemTable offset equals 0", 2);
  ASSERT_TRUE(WriteFileText(dir_.File("Address.ini"), "[group\r\n"));
  ExpectOnlyError({"game", "site"}, "Cannot read Address.ini", 2);
}

TEST_F(RunMessages, InputsAndExecutable) {
  ExpectOnlyError({"", "site"}, "Input Grimveil path", 1);
  ExpectOnlyError({"game", ""}, "Input path for result", 1);
  ExpectOnlyError({"site-missing-game", "site"}, "Cannot open GV.exe file", 1);
  ASSERT_TRUE(WriteFileText(dir_.File("game/GV.exe"), "MZ not really"));
  ExpectOnlyError({"game", "site"}, "Cannot open GV.exe file", 1);
}

TEST_F(RunMessages, DataDirectoryAndAddresses) {
  ASSERT_TRUE(WriteFileText(dir_.File("plain"), "a file, not a directory"));
  ExpectOnlyError({"game", "plain"}, "Cannot create directory for data", 1);
  ReplaceAddress("AffixTable", "7FFF0000");
  ExpectOnlyError({"game", "site"}, "Incorrect addresses", 1);
}

TEST_F(RunMessages, ArchivesAndPalette) {
  fs::rename(dir_.File("game/kelddat.mpq"), dir_.File("kelddat.mpq"));
  ExpectOnlyError({"game", "site"}, "Cannot open either GVdata.mor or KELDDAT.MPQ", 1);
  EXPECT_TRUE(FileExists(dir_.File("site/data/u.htm")));  // the earlier stages stay
  EXPECT_FALSE(FileExists(dir_.File("site/data/m0.htm")));
  fs::rename(dir_.File("kelddat.mpq"), dir_.File("game/kelddat.mpq"));
  fs::remove(dir_.File("game/gvdata.mor"));
  ExpectOnlyError({"game", "site"}, "Cannot open either GVdata.mor or KELDDAT.MPQ", 1);

  ASSERT_TRUE(BuildMpq(dir_.File("game/gvdata.mor"), {{"levels\\l1data\\l1.pal", std::vector<std::uint8_t>(767, 1)}}));
  ExpectOnlyError({"game", "site"}, "Dungeon palette is missing or invalid", 1);
}

TEST_F(RunMessages, ItemPictureStage) {
  std::vector<SpritePicture> twelve(12, DrawItemPicture(11, 3));
  std::vector<SpritePicture> eleven(11, DrawItemPicture(11, 3));

  ReplaceArchives({});
  CommandResult r = Cli({"--keep-going", "game", "site"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.err.ends_with("no\nError: Cannot extract invobj1.cel\n")) << r.err;

  ReplaceArchives({{"data\\inv\\invobj1.cel", BuildCelFile(eleven)}});
  r = Cli({"--keep-going", "game", "site"});
  EXPECT_TRUE(r.err.ends_with("no\nError: Cannot write images for items\n")) << r.err;

  ReplaceArchives({{"data\\inv\\invobj1.cel", BuildCelFile(twelve)}});
  r = Cli({"--keep-going", "game", "site"});
  EXPECT_TRUE(r.err.ends_with("no\nError: Cannot extract invobj3.cel\n")) << r.err;

  ReplaceArchives({{"data\\inv\\invobj1.cel", BuildCelFile(twelve)}, {"data\\inv\\invobj3.cel", {0, 0, 0, 0}}});
  r = Cli({"--keep-going", "game", "site"});
  EXPECT_TRUE(r.err.ends_with("no\nError: Cannot write images for items\n")) << r.err;
  EXPECT_FALSE(FileExists(dir_.File("site/index.htm")));

  // Twelve frames in the first file and one in the second write no picture, and that is fine.
  ReplaceArchives({{"data\\inv\\invobj1.cel", BuildCelFile(twelve)},
                   {"data\\inv\\invobj3.cel", BuildCelFile({DrawItemPicture(1, 1)})}});
  r = Cli({"--keep-going", "game", "site"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "Done\n");
  EXPECT_FALSE(FileExists(dir_.File("site/data/i0.png")));
}

TEST_F(RunMessages, OutputFilesThatCannotBeWritten) {
  fs::create_directories(dir_.File("site/data/i0.htm"));
  ExpectOnlyError({"--keep-going", "game", "site"}, "Cannot write to file", 1);
  fs::remove(dir_.File("site/data/i0.htm"));

  fs::create_directories(dir_.File("site/index.htm"));
  CommandResult r = Cli({"--keep-going", "game", "site"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.err.ends_with("no\nError: Cannot write index.htm\n")) << r.err;
  fs::remove(dir_.File("site/index.htm"));

  fs::create_directories(dir_.File("site/data/style.css"));
  r = Cli({"--keep-going", "game", "site"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.err.ends_with("no\nError: Cannot write style.css\n")) << r.err;
  EXPECT_TRUE(FileExists(dir_.File("site/index.htm")));
}

}  // namespace
}  // namespace gvde::testkit
