// gvde-cli finds its archive worker from its own folder: beside it in a build tree, in
// ../libexec/gvde relative to it once installed. Nothing of the build tree is compiled in, so a
// copy elsewhere without the worker says where it looked.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "cli_runner.h"
#include "demogame/demo_game.h"
#include "testkit/temp_dir.h"

namespace gvde::testkit {
namespace {

namespace fs = std::filesystem;

TEST(WorkerLocation, InstalledLayoutFindsTheWorkerAndAMissingOneIsNamed) {
  TempDir dir;
  ASSERT_TRUE(demogame::WriteDemoGame(dir.path(), demogame::DemoOptions{}, nullptr));
  const fs::path bin = dir.File("prefix/bin");
  const fs::path workerDir = (bin / GVDE_WORKER_DIR_FROM_BINDIR).lexically_normal();
  fs::create_directories(bin);
  fs::copy_file(GVDE_CLI_PATH, bin / "gvde-cli");

  CommandResult missing =
      RunProgram(dir.path(), (bin / "gvde-cli").string(), {"--keep-going", "game", "site"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.out, "");
  EXPECT_TRUE(
      missing.err.ends_with("Error: Cannot open either GVdata.mor or KELDDAT.MPQ\n"
                            "  gvde-archive-worker not found in " +
                            workerDir.string() + "\n"))
      << missing.err;

  fs::create_directories(workerDir);
  fs::copy_file(fs::path(GVDE_CLI_PATH).parent_path() / "gvde-archive-worker",
                workerDir / "gvde-archive-worker");
  CommandResult installed =
      RunProgram(dir.path(), (bin / "gvde-cli").string(), {"--keep-going", "game", "site"});
  EXPECT_EQ(installed.exitCode, 0) << installed.err;
  EXPECT_EQ(installed.out, "Done\n");
}

}  // namespace
}  // namespace gvde::testkit
