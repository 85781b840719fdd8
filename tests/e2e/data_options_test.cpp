// gvde-cli's --json, --csv, --compare and --config on the demo game: a document only after
// "Done", the document and the tables written together or not at all, the options that belong
// to a comparison, and the configuration read from another folder. Where the files may go:
// output_targets_test.cpp.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "demogame/demo_game.h"
#include "testkit/temp_dir.h"

namespace gvde::testkit {
namespace {

class DataOptions : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(demogame::WriteDemoGame(dir_.path(), demogame::DemoOptions{}, nullptr));
  }

  CommandResult Cli(const std::vector<std::string>& args) {
    return RunProgram(dir_.path(), GVDE_CLI_PATH, args);
  }

  TempDir dir_;
};

// A run that fails or is stopped leaves the earlier document as it was and no temporary file.
TEST_F(DataOptions, NoDocumentUnlessTheRunEndsWithDone) {
  const std::string document = dir_.File("data.json");
  ASSERT_TRUE(WriteFileText(document, "earlier"));

  CommandResult stopped = Cli({"--stop-on-image-error", "--json", "data.json", "game", "stopped"});
  EXPECT_EQ(stopped.exitCode, 1) << stopped.err;
  EXPECT_EQ(stopped.out, "");

  std::filesystem::remove(dir_.File("game/kelddat.mpq"));
  CommandResult failed = Cli({"--keep-going", "--json=data.json", "game", "failed"});
  EXPECT_EQ(failed.exitCode, 1);
  EXPECT_EQ(failed.err,
            "Error: Cannot open either GVdata.mor or KELDDAT.MPQ\n  game/kelddat.mpq: No such file or directory\n");

  EXPECT_EQ(ReadFileText(document), "earlier");
  EXPECT_EQ(ListFileNames(dir_.path()),
            (std::vector<std::string>{"AITypes.ini", "Address.ini", "Effect.ini", "data.json", "failed", "game",
                                      "stopped"}));
}

// A table that cannot be written when the run ends (a named pipe that no one reads): the run
// fails naming it and the reason, and the document is not replaced either.
TEST_F(DataOptions, TablesAndDocumentAreWrittenTogether) {
  const std::string document = dir_.File("data.json");
  ASSERT_TRUE(WriteFileText(document, "earlier"));
  const std::string tables = dir_.MakeSubdir("tables");
  ASSERT_EQ(::mkfifo((tables + "/monsters.csv").c_str(), 0600), 0);
  CommandResult r = Cli({"--keep-going", "--json", "data.json", "--csv", "tables", "game", "site"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.err.ends_with("Error: Cannot write tables/monsters.csv\n"
                              "  tables/monsters.csv: No such device or address\n"))
      << r.err;
  EXPECT_EQ(ReadFileText(document), "earlier");
  EXPECT_EQ(ListFileNames(tables), std::vector<std::string>{"monsters.csv"});

  r = Cli({"--keep-going", "--csv", "new-tables", "game", "site"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(FileExists(dir_.File("new-tables/suffixes.csv")));
}

TEST_F(DataOptions, CompareOptionsGoOnlyWithCompare) {
  const std::vector<std::vector<std::string>> wrong = {
      {"--match", "number", "game", "site"},
      {"--compare", "--json", "x.json", "a.json", "b.json"},
      {"--compare", "--match", "name", "a.json", "b.json"},
      {"--compare", "--format", "html", "a.json", "b.json"},
      {"--compare", "a.json"}};
  for (const std::vector<std::string>& args : wrong) {
    CommandResult r = Cli(args);
    EXPECT_EQ(r.exitCode, 2) << args[1];
    EXPECT_TRUE(r.err.starts_with("gvde-cli: ")) << r.err;
    EXPECT_EQ(r.out, "");
  }
}

TEST_F(DataOptions, ConfigFolderReplacesTheCurrentOne) {
  const std::string elsewhere = dir_.MakeSubdir("elsewhere");
  CommandResult without = RunProgram(elsewhere, GVDE_CLI_PATH, {"--keep-going", "../game", "site"});
  EXPECT_EQ(without.exitCode, 2);
  EXPECT_EQ(without.err, "Error: Cannot read Effect.ini\n  Effect.ini: No such file or directory\n");
  CommandResult with =
      RunProgram(elsewhere, GVDE_CLI_PATH, {"--keep-going", "--config", dir_.path(), "../game", "site"});
  EXPECT_EQ(with.exitCode, 0) << with.err;
  EXPECT_EQ(with.out, "Done\n");
}

TEST_F(DataOptions, OptionsNeedAValue) {
  for (const char* option : {"--json", "--config", "--json=", "--config=", "--csv", "--csv=", "--match", "--format"}) {
    CommandResult r = Cli({"game", "site", option});
    EXPECT_EQ(r.exitCode, 2) << option;
    EXPECT_NE(r.err.find("needs a value"), std::string::npos) << option;
  }
}

}  // namespace
}  // namespace gvde::testkit
