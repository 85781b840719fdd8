// Output that cannot be written: the data folder disappears or turns into a file during a run,
// files that refuse every byte (/dev/full), a folder without write permission. The run
// reports one error and never "Done"; only failed pictures let it go on.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "demogame/demo_game.h"
#include "testkit/mini_game.h"
#include "testkit/temp_dir.h"

namespace gvde::adversarial {
namespace {

namespace fs = std::filesystem;
using testkit::EndedWithError;
using testkit::HostCall;
using testkit::LoadDemoConfiguration;
using testkit::MiniGame;
using testkit::RunExtraction;
using testkit::RunRecord;
using testkit::TempDir;

// Answers No, and damages the output at the first question.
class SabotagingHost : public testkit::RecordingHost {
 public:
  explicit SabotagingHost(std::function<void()> sabotage)
      : RecordingHost(false), sabotage_(std::move(sabotage)) {}
  bool AskExit(const std::string& question) override {
    if (sabotage_) std::exchange(sabotage_, nullptr)();
    return RecordingHost::AskExit(question);
  }

 private:
  std::function<void()> sabotage_;
};

class DemoOutput : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    scratch_ = new TempDir;
    ASSERT_TRUE(demogame::WriteDemoGame(scratch_->path(), demogame::DemoOptions{}, &summary_));
    configuration_ = new Configuration(LoadDemoConfiguration(scratch_->path()));
  }
  static void TearDownTestSuite() {
    delete configuration_;
    configuration_ = nullptr;
    delete scratch_;
  }
  void SetUp() override { ASSERT_TRUE(configuration_ != nullptr) << "no demo game"; }

  RunRecord RunWith(SabotagingHost& host) {
    return RunExtraction(scratch_->File("game"), scratch_->FreshSubdir("site"), *configuration_, host);
  }
  static std::string Data() { return scratch_->File("site/data"); }
  std::string FailingMonsterQuestion() const {
    return "Cannot write an image for monster #" + std::to_string(summary_.failingMonster) + ". Exit?";
  }

  static TempDir* scratch_;
  static demogame::DemoSummary summary_;
  static Configuration* configuration_;
};

TempDir* DemoOutput::scratch_ = nullptr;
demogame::DemoSummary DemoOutput::summary_;
Configuration* DemoOutput::configuration_ = nullptr;

TEST_F(DemoOutput, DataFolderThatDisappearsEndsTheRunWithOneError) {
  SabotagingHost host([] { fs::remove_all(Data()); });
  const RunRecord run = RunWith(host);
  EXPECT_EQ(run.calls, (std::vector<HostCall>{{HostCall::kAskExit, FailingMonsterQuestion()},
                                              {HostCall::kShowError, "Cannot write to file"}}));
  EXPECT_FALSE(run.done);
  EXPECT_FALSE(testkit::FileExists(scratch_->File("site/index.htm")));
}

TEST_F(DemoOutput, DataFolderReplacedByAFileEndsTheRunWithOneError) {
  SabotagingHost host([] {
    fs::remove_all(Data());
    testkit::WriteFileText(Data(), "not a folder");
  });
  const RunRecord run = RunWith(host);
  EXPECT_EQ(run.calls, (std::vector<HostCall>{{HostCall::kAskExit, FailingMonsterQuestion()},
                                              {HostCall::kShowError, "Cannot write to file"}}));
  EXPECT_FALSE(run.done);
  EXPECT_EQ(testkit::ReadFileText(Data()), "not a folder");
}

TEST(FullDevice, WritesThatFailAreReportedLikeFilesThatCannotBeCreated) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  struct Case {
    const char* file;   // below the output folder, made a link to /dev/full
    const char* error;  // nullptr: the run completes
    const char* question = nullptr;
  };
  const Case cases[] = {
      {"data/i0.htm", "Cannot write to file"},
      {"data/ia.htm", "Cannot write to file"},
      {"data/ml1.htm", "Cannot write to file"},
      {"data/s.htm", "Cannot write to file"},
      {"index.htm", "Cannot write index.htm"},
      {"data/style.css", "Cannot write style.css"},
      {"data/m1.png", nullptr, "Cannot write an image for monster #1. Exit?"},
      {"data/b0.png", nullptr, "Cannot write an image for boss #0. Exit?"},
      // A decoded item picture that cannot be written ends the run.
      {"data/i0.png", "Cannot write images for items"},
  };
  MiniGame game;
  game.AddTables(game.Ordinary());
  const std::vector<std::uint8_t> exe = game.pe.Build();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    testkit::WriteFileText(game.GameDir() + "/GV.exe", std::string(exe.begin(), exe.end()));
    fs::remove_all(game.OutputDir());
    fs::create_directories(game.OutputDir() + "/data");
    fs::create_symlink("/dev/full", game.OutputDir() + "/" + c.file);
    const RunRecord run = RunExtraction(game.GameDir(), game.OutputDir(), game.configuration);
    std::vector<HostCall> expected;
    if (c.question != nullptr) expected.push_back({HostCall::kAskExit, c.question});
    expected.push_back(c.error != nullptr ? HostCall{HostCall::kShowError, c.error}
                                          : HostCall{HostCall::kShowDone, ""});
    EXPECT_EQ(run.calls, expected);
    EXPECT_EQ(run.done, c.error == nullptr);
  }
}

TEST(ReadOnlyOutput, DataFolderWithoutWritePermission) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not stop root";
  MiniGame game;
  game.AddTables(game.Ordinary());
  const std::vector<std::uint8_t> exe = game.pe.Build();
  testkit::WriteFileText(game.GameDir() + "/GV.exe", std::string(exe.begin(), exe.end()));
  fs::remove_all(game.OutputDir());
  fs::create_directories(game.OutputDir() + "/data");
  fs::permissions(game.OutputDir() + "/data", fs::perms::owner_read | fs::perms::owner_exec);
  const RunRecord run = RunExtraction(game.GameDir(), game.OutputDir(), game.configuration);
  fs::permissions(game.OutputDir() + "/data", fs::perms::owner_all);
  EXPECT_TRUE(EndedWithError(run, "Cannot write to file"));
}

}  // namespace
}  // namespace gvde::adversarial
