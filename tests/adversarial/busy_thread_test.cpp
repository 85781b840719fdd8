// Whole runs of the demo game in a process where another thread allocates and frees memory
// without pause, as a GUI toolkit or a thread pool does. Starting the archive worker must not
// depend on what the other thread holds at that moment (a lock of the allocator, say).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <list>
#include <string>
#include <thread>

#include "archive/archive_calls.h"
#include "demogame/demo_game.h"
#include "testkit/temp_dir.h"
#include "testkit/whole_run.h"

namespace gvde::adversarial {
namespace {

using testkit::EndedDone;
using testkit::LoadDemoConfiguration;
using testkit::RunExtraction;
using testkit::RunRecord;
using testkit::TempDir;
using testkit::Watchdog;

class BusyAllocator {
 public:
  BusyAllocator()
      : thread_([this] {
          std::list<std::string> held;
          for (std::size_t round = 1; !stop_.load(); ++round) {
            // Sizes from 16 bytes to 64 KiB: every size class of an allocator gets its turn.
            held.emplace_back((std::size_t{16} << (round % 13)) + round % 61, 'x');
            if (held.size() > 64) held.pop_front();
            rounds_.store(round);
          }
        }) {}
  ~BusyAllocator() {
    stop_.store(true);
    thread_.join();
  }
  std::size_t Rounds() const { return rounds_.load(); }

 private:
  std::atomic<bool> stop_{false};
  std::atomic<std::size_t> rounds_{0};
  std::thread thread_;
};

TEST(BusyThread, WholeRunsEndAsWithoutTheThread) {
  // A worker that hangs fails its call after the wait limit: a run that takes as long had one.
  constexpr std::chrono::milliseconds kLimit = kWorkerWaitLimit;
  const Watchdog watchdog(600);
  const TempDir scratch;
  ASSERT_TRUE(demogame::WriteDemoGame(scratch.path(), demogame::DemoOptions{}, nullptr));
  const Configuration configuration = LoadDemoConfiguration(scratch.path());
  const std::string game = scratch.File("game");
  const RunRecord quiet = RunExtraction(game, scratch.FreshSubdir("quiet"), configuration);
  ASSERT_TRUE(EndedDone(quiet));

  const BusyAllocator busy;
  for (int run = 0; run < 6; ++run) {
    SCOPED_TRACE(run);
    const auto start = std::chrono::steady_clock::now();
    const RunRecord record = RunExtraction(game, scratch.FreshSubdir("busy"), configuration);
    EXPECT_LT(std::chrono::steady_clock::now() - start, kLimit);
    EXPECT_EQ(record.calls, quiet.calls);
  }
  EXPECT_GT(busy.Rounds(), 0u);
}

}  // namespace
}  // namespace gvde::adversarial
