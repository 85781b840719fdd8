// gvde-cli --explorer on the demo game: the explorer's three files only with the option, the
// site's own files unchanged but for one link in index.htm, the same bytes on every run, and a
// file that cannot be written ends the run before index.htm.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "demogame/demo_game.h"
#include "testkit/temp_dir.h"

namespace gvde::testkit {
namespace {

const std::vector<std::string> kExplorerFiles = {"data/explorer-data.js", "data/explorer.js", "explorer.htm"};

class ExplorerOption : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    scratch_ = new TempDir;
    ASSERT_TRUE(demogame::WriteDemoGame(scratch_->path(), demogame::DemoOptions{}, nullptr));
  }
  static void TearDownTestSuite() {
    delete scratch_;
    scratch_ = nullptr;
  }

  static CommandResult Cli(const std::vector<std::string>& args) {
    return RunProgram(scratch_->path(), GVDE_CLI_PATH, args);
  }
  static std::string Read(const std::string& name) { return ReadFileText(scratch_->File(name)); }

  static inline TempDir* scratch_ = nullptr;
};

TEST_F(ExplorerOption, AddsItsFilesAndOneIndexLinkOnly) {
  ASSERT_EQ(Cli({"--keep-going", "game", "plain"}).exitCode, 0);
  const CommandResult with = Cli({"--keep-going", "--explorer", "game", "with"});
  ASSERT_EQ(with.exitCode, 0) << with.err;
  EXPECT_EQ(with.out, "Done\n");

  const std::vector<std::string> plain = ListFiles(scratch_->File("plain"));
  for (const std::string& file : kExplorerFiles) EXPECT_FALSE(FileExists(scratch_->File("plain/" + file)));
  std::set<std::string> expected(plain.begin(), plain.end());
  expected.insert(kExplorerFiles.begin(), kExplorerFiles.end());
  const std::vector<std::string> files = ListFiles(scratch_->File("with"));
  EXPECT_EQ(std::set<std::string>(files.begin(), files.end()), expected);

  for (const std::string& file : plain) {
    if (file == "index.htm") continue;
    ASSERT_EQ(Read("plain/" + file), Read("with/" + file)) << file;
  }
  std::string index = Read("plain/index.htm");
  const std::string suffixes = "target=\"ab\">Suffixes</a>";
  ASSERT_NE(index.find(suffixes), std::string::npos);
  index.insert(index.find(suffixes) + suffixes.size(), "<br><a href=\"explorer.htm\">Explorer</a>");
  EXPECT_EQ(Read("with/index.htm"), index);
}

// The data does not depend on the picture threads, on --technical or on --json.
TEST_F(ExplorerOption, WritesTheSameBytesEveryTime) {
  ASSERT_EQ(Cli({"--keep-going", "--explorer", "--jobs", "1", "game", "one"}).exitCode, 0);
  ASSERT_EQ(Cli({"--keep-going", "--explorer", "--jobs", "3", "--technical", "--json", "d.json", "game", "two"}).exitCode, 0);
  for (const std::string& file : kExplorerFiles) {
    const std::string text = Read("one/" + file);
    EXPECT_GT(text.size(), 1000u) << file;
    EXPECT_EQ(text, Read("two/" + file)) << file;
  }
}

TEST_F(ExplorerOption, FileThatCannotBeWrittenEndsTheRunBeforeIndex) {
  std::filesystem::create_directories(scratch_->File("blocked/data/explorer.js"));
  const CommandResult r = Cli({"--keep-going", "--explorer", "--json", "blocked.json", "game", "blocked"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(r.err.ends_with("Error: Cannot write to file\n  blocked/data/explorer.js: Is a directory\n")) << r.err;
  EXPECT_TRUE(FileExists(scratch_->File("blocked/data/explorer-data.js")));
  EXPECT_FALSE(FileExists(scratch_->File("blocked/explorer.htm")));
  EXPECT_FALSE(FileExists(scratch_->File("blocked/index.htm")));
  EXPECT_FALSE(FileExists(scratch_->File("blocked.json")));
}

TEST_F(ExplorerOption, StoppedRunWritesNoExplorer) {
  EXPECT_EQ(Cli({"--stop-on-image-error", "--explorer", "game", "stopped"}).exitCode, 1);
  for (const std::string& file : kExplorerFiles) EXPECT_FALSE(FileExists(scratch_->File("stopped/" + file)));
}

}  // namespace
}  // namespace gvde::testkit
