// Names in the game and output folders that are not plain files: folders, devices and named
// pipes that nobody writes to or reads from. Opening a pipe must not wait for a partner, and an
// output page replaces a pipe at its name.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/startup_config.h"
#include "testkit/mini_game.h"
#include "testkit/temp_dir.h"

namespace gvde::adversarial {
namespace {

namespace fs = std::filesystem;
using testkit::EndedWithError;
using testkit::MiniGame;
using testkit::RunExtraction;
using testkit::RunRecord;
using testkit::Watchdog;

constexpr int kWatchdogSeconds = 60;

class UnusualFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    game_.AddTables(game_.Ordinary());
    exe_ = game_.pe.Build();
  }

  // Runs with GV.exe in place and the output folder holding data/ and, where given, `extra`
  // made by `make` instead of a plain file.
  RunRecord RunWithGvExe(const std::function<void(const std::string&)>& make) {
    const std::string path = game_.GameDir() + "/GV.exe";
    fs::remove_all(path);
    make(path);
    fs::remove_all(game_.OutputDir());
    fs::create_directories(game_.OutputDir());
    return RunExtraction(game_.GameDir(), game_.OutputDir(), game_.configuration);
  }
  RunRecord RunWithOutputFile(const std::string& name, const std::function<void(const std::string&)>& make) {
    testkit::WriteFileText(game_.GameDir() + "/GV.exe", std::string(exe_.begin(), exe_.end()));
    fs::remove_all(game_.OutputDir());
    fs::create_directories(game_.OutputDir() + "/data");
    make(game_.OutputDir() + "/" + name);
    return RunExtraction(game_.GameDir(), game_.OutputDir(), game_.configuration);
  }

  MiniGame game_;
  std::vector<std::uint8_t> exe_;
};

void MakePipe(const std::string& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0) << path; }
void MakeFolder(const std::string& path) { fs::create_directory(path); }
void LinkToZeros(const std::string& path) { fs::create_symlink("/dev/zero", path); }

TEST_F(UnusualFiles, GvExeThatIsNoPlainFile) {
  const Watchdog watchdog(kWatchdogSeconds);
  EXPECT_TRUE(EndedWithError(RunWithGvExe(MakeFolder), "Cannot open GV.exe file"));
  EXPECT_TRUE(EndedWithError(RunWithGvExe(MakePipe), "Cannot open GV.exe file"));
  if (fs::exists("/dev/zero")) {
    EXPECT_TRUE(EndedWithError(RunWithGvExe(LinkToZeros), "Cannot open GV.exe file"));
  }
}

TEST_F(UnusualFiles, ArchiveThatIsNoPlainFile) {
  const Watchdog watchdog(kWatchdogSeconds);
  const std::string archive = game_.GameDir() + "/gvdata.mor";
  fs::remove_all(archive);
  MakePipe(archive);
  testkit::WriteFileText(game_.GameDir() + "/GV.exe", std::string(exe_.begin(), exe_.end()));
  fs::create_directories(game_.OutputDir());
  EXPECT_TRUE(EndedWithError(RunExtraction(game_.GameDir(), game_.OutputDir(), game_.configuration),
                             "Cannot open either GVdata.mor or KELDDAT.MPQ"));
}

// A folder at a page's name stays and the page fails; a pipe is replaced by the page, like
// any file that was there.
TEST_F(UnusualFiles, OutputPagesThatAreNoPlainFiles) {
  const Watchdog watchdog(kWatchdogSeconds);
  EXPECT_TRUE(EndedWithError(RunWithOutputFile("data/i0.htm", MakeFolder), "Cannot write to file"));
  EXPECT_TRUE(EndedWithError(RunWithOutputFile("index.htm", MakeFolder), "Cannot write index.htm"));
  EXPECT_TRUE(testkit::EndedDone(RunWithOutputFile("data/i0.htm", MakePipe)));
  EXPECT_TRUE(fs::is_regular_file(game_.OutputDir() + "/data/i0.htm"));
  EXPECT_TRUE(testkit::EndedDone(RunWithOutputFile("index.htm", MakePipe)));
  EXPECT_TRUE(fs::is_regular_file(game_.OutputDir() + "/index.htm"));
}

TEST(UnusualConfigurationFiles, PipesAreUnreadableFiles) {
  const Watchdog watchdog(kWatchdogSeconds);
  testkit::TempDir dir;
  MakePipe(dir.File("Settings.ini"));
  MakePipe(dir.File("Effect.ini"));
  const StartupResult startup = LoadStartupConfiguration(dir.WithSeparator());
  EXPECT_FALSE(startup.ok);
  EXPECT_EQ(startup.message, "Cannot read Effect.ini");
  EXPECT_EQ(startup.settings.gameDir, "");
}

}  // namespace
}  // namespace gvde::adversarial
