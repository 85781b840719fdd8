// Every message of start-up and of the run, reached through gvde-cli, with its exit status.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "demogame/demo_game.h"
#include "demogame/demo_pictures.h"
#include "demogame/mpq_builder.h"
#include "demogame/sprite_encoders.h"
#include "platform/folder_lock.h"
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

  // One "Error: ..." line, followed by the indented detail when one is given, nothing on
  // stdout, the given exit status.
  void ExpectOnlyError(const std::vector<std::string>& args, const std::string& message, int exitCode,
                       const std::string& detail = "") {
    CommandResult r = Cli(args);
    EXPECT_EQ(r.exitCode, exitCode) << message;
    EXPECT_EQ(r.out, "") << message;
    EXPECT_EQ(r.err, "Error: " + message + "\n" + (detail.empty() ? "" : "  " + detail + "\n"));
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

// After "--" everything is a directory, even a name that looks like an option.
TEST_F(RunMessages, DirectoriesAfterTheEndOfTheOptions) {
  ExpectOnlyError({"--keep-going", "--", "--game", "--site"}, "Cannot open GV.exe file", 1,
                  "--game/GV.exe: No such file or directory");
}

TEST_F(RunMessages, StartupFailuresStopBeforeTheRun) {
  fs::rename(dir_.File("Address.ini"), dir_.File("Address.bak"));
  ExpectOnlyError({"game", "site"}, "Cannot read Address.ini", 2, "Address.ini: No such file or directory");
  fs::rename(dir_.File("Address.bak"), dir_.File("Address.ini"));
  fs::rename(dir_.File("AITypes.ini"), dir_.File("AITypes.bak"));
  ExpectOnlyError({"game", "site"}, "Cannot read AITypes.ini", 2, "AITypes.ini: No such file or directory");
  fs::remove(dir_.File("Effect.ini"));
  fs::create_directory(dir_.File("Effect.ini"));
  ExpectOnlyError({"game", "site"}, "Cannot read Effect.ini", 2, "Effect.ini: Is a directory");
  EXPECT_FALSE(FileExists(dir_.File("site")));
}

TEST_F(RunMessages, AddressFileProblems) {
  ReplaceAddress("MonsterTable", "0x409000");
  ExpectOnlyError({"game", "site"}, "MonsterTable offset equals 0", 2,
                  "Address.ini line 4: MonsterTable value \"0x409000\": write the digits without 0x");
  ReplaceAddress("MonsterTable", "");
  ExpectOnlyError({"game", "site"}, "MonsterTable offset equals 0", 2, "Address.ini: no MonsterTable line");
  ReplaceAddress("ItemTable", "12 34");
  ExpectOnlyError({"game", "site"}, "ItemTable offset equals 0", 2, "Address.ini line 2: ItemTable value \"12 34\" has a space in it");
  ASSERT_TRUE(WriteFileText(dir_.File("Address.ini"), "; tables\r\n[group\r\n"));
  ExpectOnlyError({"game", "site"}, "Cannot read Address.ini", 2, "Address.ini line 2: Unfinished group name");
  ASSERT_TRUE(WriteFileText(dir_.File("Address.ini"), "ItemTable=1\r\nTitle=2\r\nItemTable=3\r\n"));
  ExpectOnlyError({"game", "site"}, "Cannot read Address.ini", 2, "Address.ini line 3: ItemTable given twice");
}

TEST_F(RunMessages, InputsAndExecutable) {
  ExpectOnlyError({"", "site"}, "Input Grimveil path", 1);
  ExpectOnlyError({"game", ""}, "Input path for result", 1);
  ExpectOnlyError({"site-missing-game", "new/site"}, "Cannot open GV.exe file", 1,
                  "site-missing-game/GV.exe: No such file or directory");
  EXPECT_FALSE(fs::exists(dir_.File("new")));  // the output folder is made once GV.exe loads
  ASSERT_TRUE(WriteFileText(dir_.File("game/GV.exe"), "MZ not really"));
  ExpectOnlyError({"game", "site"}, "Cannot open GV.exe file", 1, "game/GV.exe: not a Windows program (no PE header)");
}

TEST_F(RunMessages, DataDirectoryAndAddresses) {
  ASSERT_TRUE(WriteFileText(dir_.File("plain"), "a file, not a directory"));
  ExpectOnlyError({"game", "plain"}, "Cannot create directory for data", 1, "plain/data: Not a directory");
  // The level that cannot be made is named, under a file or a folder without write permission.
  ExpectOnlyError({"game", "plain/site"}, "Cannot create directory for data", 1, "plain/site: Not a directory");
  if (::geteuid() != 0) {
    fs::create_directory(dir_.File("locked"));
    fs::permissions(dir_.File("locked"), fs::perms::owner_read | fs::perms::owner_exec);
    ExpectOnlyError({"game", "locked/new/site"}, "Cannot create directory for data", 1,
                    "locked/new: Permission denied");
  }
  EXPECT_EQ(Cli({"--keep-going", "game", "made/new/site"}).exitCode, 0);
  EXPECT_TRUE(FileExists(dir_.File("made/new/site/index.htm")));
  ReplaceAddress("AffixTable", "7FFF0000");
  ExpectOnlyError({"game", "site"}, "Incorrect addresses", 1, "AffixTable 7FFF0000 is outside every section of game/GV.exe");
  // The title and the spell table are read where they are used: one that does not translate
  // reads as "<NO STRING>" and is no error, so it is not named.
  ReplaceAddress("ItemTable", "10");
  ReplaceAddress("BossTable", "FFFFFFFF");
  ReplaceAddress("Title", "20");
  ReplaceAddress("SpellTable", "30");
  ExpectOnlyError({"game", "site"}, "Incorrect addresses", 1,
                  "ItemTable 10, BossTable FFFFFFFF and AffixTable 7FFF0000 are outside every section of game/GV.exe");
}

TEST_F(RunMessages, ArchivesAndPalette) {
  fs::rename(dir_.File("game/kelddat.mpq"), dir_.File("kelddat.mpq"));
  ExpectOnlyError({"game", "site"}, "Cannot open either GVdata.mor or KELDDAT.MPQ", 1,
                  "game/kelddat.mpq: No such file or directory");
  EXPECT_TRUE(FileExists(dir_.File("site/data/u.htm")));  // the earlier stages stay
  EXPECT_FALSE(FileExists(dir_.File("site/data/m0.htm")));
  fs::rename(dir_.File("kelddat.mpq"), dir_.File("game/kelddat.mpq"));
  fs::remove(dir_.File("game/gvdata.mor"));
  ExpectOnlyError({"game", "site"}, "Cannot open either GVdata.mor or KELDDAT.MPQ", 1,
                  "game/gvdata.mor: No such file or directory");

  ASSERT_TRUE(BuildMpq(dir_.File("game/gvdata.mor"), {{"levels\\l1data\\l1.pal", std::vector<std::uint8_t>(767, 1)}}));
  ExpectOnlyError({"game", "site"}, "Dungeon palette is missing or invalid", 1);
}

// Archives that are there but cannot be opened: the detail names the archive and the reason.
TEST_F(RunMessages, ArchivesThatCannotBeOpenedAreNamedWithTheReason) {
  const std::string archive = dir_.File("game/gvdata.mor");
  const std::string message = "Cannot open either GVdata.mor or KELDDAT.MPQ";
  fs::remove(archive);
  fs::create_directory(archive);
  ExpectOnlyError({"game", "site"}, message, 1, "game/gvdata.mor: Is a directory");
  fs::remove(archive);
  ASSERT_EQ(mkfifo(archive.c_str(), 0600), 0);
  ExpectOnlyError({"game", "site"}, message, 1, "game/gvdata.mor: not a plain file");
  fs::remove(archive);
  std::string noise(20000, '\0');
  for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 2654435761u) >> 13);
  ASSERT_TRUE(WriteFileText(archive, noise));
  ExpectOnlyError({"game", "site"}, message, 1, "game/gvdata.mor: not an archive (no archive header found)");
  ASSERT_TRUE(WriteFileText(archive, std::string("MPQ\x1a\x20\0\0\0", 8)));
  ExpectOnlyError({"game", "site"}, message, 1,
                  "game/gvdata.mor: damaged archive (its header is cut off by the end of the file)");
}

// Each ending of the item picture stage, the file it names and why.
TEST_F(RunMessages, ItemPictureStage) {
  std::vector<SpritePicture> twelve(12, DrawItemPicture(11, 3));
  std::vector<SpritePicture> eleven(11, DrawItemPicture(11, 3));

  ReplaceArchives({});
  CommandResult r = Cli({"--keep-going", "game", "site"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.err.ends_with("\nError: Cannot extract invobj1.cel\n")) << r.err;

  ReplaceArchives({{"data\\inv\\invobj1.cel", BuildCelFile(eleven)}});
  r = Cli({"--keep-going", "game", "site"});
  EXPECT_TRUE(r.err.ends_with("\nError: Cannot write images for items\n  data\\inv\\invobj1.cel has no frame 11\n"))
      << r.err;

  ReplaceArchives({{"data\\inv\\invobj1.cel", BuildCelFile(twelve)}});
  r = Cli({"--keep-going", "game", "site"});
  EXPECT_TRUE(r.err.ends_with("\nError: Cannot extract invobj3.cel\n")) << r.err;

  ReplaceArchives({{"data\\inv\\invobj1.cel", BuildCelFile(twelve)}, {"data\\inv\\invobj3.cel", {0, 0, 0, 0}}});
  r = Cli({"--keep-going", "game", "site"});
  EXPECT_TRUE(r.err.ends_with("\nError: Cannot write images for items\n  data\\inv\\invobj3.cel holds no frames\n"))
      << r.err;
  EXPECT_FALSE(FileExists(dir_.File("site/index.htm")));

  // Twelve frames in the first file and one in the second write no picture, and that is fine.
  ReplaceArchives({{"data\\inv\\invobj1.cel", BuildCelFile(twelve)},
                   {"data\\inv\\invobj3.cel", BuildCelFile({DrawItemPicture(1, 1)})}});
  r = Cli({"--keep-going", "game", "site"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "Done\n");
  EXPECT_FALSE(FileExists(dir_.File("site/data/i0.png")));

  // A picture file that cannot be written is named with the reason.
  ReplaceArchives({{"data\\inv\\invobj1.cel", BuildCelFile(std::vector<SpritePicture>(13, DrawItemPicture(11, 3)))},
                   {"data\\inv\\invobj3.cel", BuildCelFile({DrawItemPicture(1, 1)})}});
  fs::create_directories(dir_.File("site/data/i0.png"));
  r = Cli({"--keep-going", "game", "site"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.err.ends_with("\nError: Cannot write images for items\n  site/data/i0.png: Is a directory\n")) << r.err;
}

// A reader that goes away ("gvde-cli ... 2>&1 | head -c 1") and a terminal whose input ends
// (Ctrl-D at a question) do not end the run: messages to the closed pipe are dropped, the end
// of input answers No and ends the prompt's line, and the site is written whole.
TEST_F(RunMessages, TerminalThatGoesAway) {
  int pipeEnds[2];
  ASSERT_EQ(::pipe(pipeEnds), 0);
  ::close(pipeEnds[0]);
  const std::string toClosedPipe = " >&" + std::to_string(pipeEnds[1]) + " 2>&1";
  const int status = std::system(("cd '" + dir_.path() + "' && '" GVDE_CLI_PATH "' game site" + toClosedPipe).c_str());
  ::close(pipeEnds[1]);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_TRUE(FileExists(dir_.File("site/index.htm")));
  EXPECT_TRUE(FileExists(dir_.File("site/data/style.css")));

  const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(terminal, 0);
  ASSERT_EQ(::grantpt(terminal), 0);
  ASSERT_EQ(::unlockpt(terminal), 0);
  const std::string endOfInput = "\x04";  // Ctrl-D at the start of a line
  ASSERT_EQ(::write(terminal, endOfInput.data(), endOfInput.size()), 1);
  const std::string fromTerminal = std::string(" <") + ::ptsname(terminal);
  const std::string capture = dir_.File("err.txt");
  const int asked =
      std::system(("cd '" + dir_.path() + "' && '" GVDE_CLI_PATH "' game site2" + fromTerminal + " 2>" + capture).c_str());
  ::close(terminal);
  ASSERT_TRUE(WIFEXITED(asked));
  EXPECT_EQ(WEXITSTATUS(asked), 0);
  // Each question's line ends where the input did, and its detail follows; the summary last.
  const std::string text = ReadFileText(capture);
  std::istringstream err(WithoutSummary(text));
  EXPECT_NE(WithoutSummary(text), text);
  int questions = 0;
  for (std::string line, detail; std::getline(err, line) && std::getline(err, detail); ++questions) {
    EXPECT_TRUE(line.starts_with("Error: Cannot write an image for ") && line.ends_with(". Exit? [y/N] ")) << line;
    EXPECT_TRUE(detail.starts_with("  the sprite file ")) << detail;
  }
  EXPECT_GT(questions, 0);
  EXPECT_TRUE(FileExists(dir_.File("site2/index.htm")));
}

TEST_F(RunMessages, OutputFilesThatCannotBeWritten) {
  {
    // The output folder of a run in progress: the second run ends at once.
    fs::create_directory(dir_.File("site"));
    FolderLock otherRun;
    ASSERT_EQ(otherRun.Lock(dir_.File("site")), FolderLock::Outcome::Locked);
    ExpectOnlyError({"game", "site"}, "Output folder is in use by another run", 1);
    ExpectOnlyError({"missing-game", "site"}, "Output folder is in use by another run", 1);  // before GV.exe
    EXPECT_TRUE(fs::is_empty(dir_.File("site")));
  }
  fs::create_directories(dir_.File("site/data/i0.htm"));
  ExpectOnlyError({"--keep-going", "game", "site"}, "Cannot write to file", 1, "site/data/i0.htm: Is a directory");
  fs::remove(dir_.File("site/data/i0.htm"));

  fs::create_directories(dir_.File("site/index.htm"));
  CommandResult r = Cli({"--keep-going", "game", "site"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.err.ends_with("cannot be read\nError: Cannot write index.htm\n  site/index.htm: Is a directory\n")) << r.err;
  fs::remove(dir_.File("site/index.htm"));

  fs::create_directories(dir_.File("site/data/style.css"));
  r = Cli({"--keep-going", "game", "site"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.err.ends_with("cannot be read\nError: Cannot write style.css\n  site/data/style.css: Is a directory\n")) << r.err;
  EXPECT_TRUE(FileExists(dir_.File("site/index.htm")));
}

}  // namespace
}  // namespace gvde::testkit
