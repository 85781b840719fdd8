// Output that cannot or must not be written: the data folder disappears or turns into a file
// during a run, writes past the run's output limit, links planted in the output folder, a
// folder without write permission. The run reports one error and never "Done" (only failed
// pictures let it go on), and it never writes outside the output folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "demogame/demo_game.h"
#include "site/extraction_run.h"
#include "testkit/demo_game_suite.h"
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
  bool AskExit(const std::string& question, const std::string& detail) override {
    if (sabotage_) std::exchange(sabotage_, nullptr)();
    return RecordingHost::AskExit(question, detail);
  }

 private:
  std::function<void()> sabotage_;
};

class DemoOutput : public testkit::DemoGameSuite {
 protected:
  RunRecord RunWith(SabotagingHost& host) {
    return RunExtraction(scratch_->File("game"), scratch_->FreshSubdir("site"), *configuration_, host);
  }
  static std::string Data() { return scratch_->File("site/data"); }
  std::string FailingMonsterQuestion() const {
    return "Cannot write an image for monster #" + std::to_string(summary_.failingMonster) + ". Exit?";
  }
};

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

// Every file below a folder with its size and time of last change.
using Snapshot = std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>>;
Snapshot TakeSnapshot(const std::string& dir) {
  Snapshot files;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    if (entry.is_regular_file()) files[entry.path().string()] = {entry.file_size(), entry.last_write_time()};
  }
  return files;
}

// Two runs into one folder would leave a mix of both sites. A second run, started while the
// first waits at its question, ends at once and writes nothing; the first one ends whole.
TEST_F(DemoOutput, ASecondRunIntoAFolderInUseIsRefused) {
  const std::string site = scratch_->File("site");
  RunRecord second;
  Snapshot before;
  Snapshot after;
  SabotagingHost host([&] {
    before = TakeSnapshot(site);
    second = RunExtraction(scratch_->File("game"), site, *configuration_);
    after = TakeSnapshot(site);
  });
  const RunRecord first = RunWith(host);
  EXPECT_TRUE(EndedWithError(second, "Output folder is in use by another run"));
  EXPECT_EQ(after, before);
  EXPECT_TRUE(testkit::EndedDone(first));
  EXPECT_TRUE(testkit::SiteIsComplete(site));
}

// What a file counts against the output limit: its size, and at least 4 KiB.
std::uintmax_t Counted(std::uintmax_t size) { return std::max<std::uintmax_t>(size, 4096); }

std::uintmax_t BytesBelow(const std::string& dir, bool (*take)(const std::string& relative) = nullptr,
                          std::uintmax_t (*count)(std::uintmax_t size) = Counted) {
  std::uintmax_t total = 0;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    const std::string relative = fs::relative(entry.path(), dir).generic_string();
    if (entry.is_regular_file() && (take == nullptr || take(relative))) total += count(entry.file_size());
  }
  return total;
}

// Damaged tables can make a run write without end, in few large files or in very many small
// ones. Past the limit every write is refused and the run ends with one message, wherever the
// limit falls: in the first page, in a monster picture (without asking about it), in index.htm
// or in the style sheet. Exactly the limit is allowed; a limit that the files' bytes alone
// would fit is not enough, since each file counts as at least 4 KiB.
TEST(OutputLimit, TheRunEndsWhereItsOutputWouldPassTheLimit) {
  MiniGame game;
  game.AddTables(game.Ordinary());
  ASSERT_TRUE(testkit::EndedDone(game.Run()));
  const std::string site = game.OutputDir();
  const std::uintmax_t total = BytesBelow(site);
  const std::uintmax_t styleSheet = Counted(fs::file_size(site + "/data/style.css"));
  const std::uintmax_t index = Counted(fs::file_size(site + "/index.htm"));
  // Item and unique pages and lists come first, then each monster page with its picture.
  const std::uintmax_t beforeMonsterPicture =
      BytesBelow(site + "/data",
                 [](const std::string& name) {
                   return (name[0] == 'i' || name[0] == 'u') && name.ends_with(".htm");
                 }) +
      fs::file_size(site + "/data/m0.htm");
  ASSERT_TRUE(game.Has("m0.png"));

  const std::uintmax_t sizes = BytesBelow(site, nullptr, [](std::uintmax_t size) { return size; });
  ASSERT_LT(sizes, total - 4096);
  const std::vector<std::uintmax_t> limits = {0, beforeMonsterPicture + 1, total - styleSheet - index + 1,
                                              total - 1, sizes};
  for (const std::uintmax_t limit : limits) {
    SCOPED_TRACE(limit);
    const std::string output = game.OutputDir() + "-" + std::to_string(limit);
    fs::create_directories(output);
    game.host.Clear();
    RunInputs inputs{.gameDir = game.GameDir() + "/",
                     .outputDir = output + "/",
                     .technicalInfo = true,
                     .maxOutputBytes = limit};
    const bool done = StartExtraction(inputs, game.configuration, game.host);
    EXPECT_FALSE(done);
    EXPECT_EQ(game.host.calls(),
              (std::vector<HostCall>{{HostCall::kShowError, "Output would exceed 1 GiB"}}));
    EXPECT_LE(BytesBelow(output), limit);
  }
  game.host.Clear();
  const std::string exact = game.OutputDir() + "-exact";
  fs::create_directories(exact);
  EXPECT_TRUE(StartExtraction(RunInputs{.gameDir = game.GameDir() + "/",
                                        .outputDir = exact + "/",
                                        .technicalInfo = true,
                                        .maxOutputBytes = total},
                              game.configuration, game.host));
}

// Links planted in the output folder are replaced, never written through: files they lead to
// stay as they were and a dangling link creates nothing. The links a user made for the output
// folder itself and for its data folder are followed.
TEST(PlantedLinks, AreReplacedInsteadOfWrittenThrough) {
  MiniGame game;
  game.AddTables(game.Ordinary());
  TempDir outside;
  const std::string real = outside.MakeSubdir("real");
  const std::string realData = outside.MakeSubdir("real-data");
  fs::create_directory_symlink(realData, real + "/data");
  const std::string output = outside.File("site");
  fs::create_directory_symlink(real, output);
  const std::vector<std::pair<std::string, std::string>> victims = {
      {outside.File("victim.css"), "not a style sheet"},
      {outside.File("victim.htm"), "not a page"},
      {outside.File("victim.png"), "not a picture"}};
  for (const auto& [path, text] : victims) ASSERT_TRUE(testkit::WriteFileText(path, text));
  fs::create_symlink(victims[0].first, realData + "/style.css");
  fs::create_symlink(victims[1].first, realData + "/i0.htm");
  fs::create_symlink(outside.File("created-through-link"), real + "/index.htm");
  fs::create_hard_link(victims[2].first, realData + "/m0.png");

  const std::vector<std::uint8_t> exe = game.pe.Build();
  ASSERT_TRUE(testkit::WriteFileText(game.GameDir() + "/GV.exe", std::string(exe.begin(), exe.end())));
  EXPECT_TRUE(testkit::EndedDone(RunExtraction(game.GameDir(), output, game.configuration)));
  EXPECT_TRUE(testkit::SiteIsComplete(output));
  for (const auto& [path, text] : victims) EXPECT_EQ(testkit::ReadFileText(path), text) << path;
  EXPECT_FALSE(fs::exists(fs::symlink_status(outside.File("created-through-link"))));
  for (const char* file : {"data/style.css", "data/i0.htm", "index.htm", "data/m0.png"}) {
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(output + "/" + file))) << file;
  }
  EXPECT_TRUE(fs::is_symlink(real + "/data"));
  EXPECT_EQ(fs::hard_link_count(realData + "/m0.png"), 1u);
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
