// The worker process seen from outside: it exists while archives are open, it is reaped on
// every way out, and its death or silence fails calls instead of the program.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "archive/game_archives.h"
#include "archive/worker_client.h"
#include "archive/worker_confinement.h"
#include "archive/worker_launch.h"
#include "demogame/mpq_builder.h"
#include "testkit/mpq_damage.h"
#include "testkit/temp_dir.h"

namespace gvde {
namespace {

using Bytes = std::vector<std::uint8_t>;
using demogame::MpqFile;

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Every process whose parent is this one, zombies included.
std::vector<pid_t> ChildProcesses() {
  std::vector<pid_t> children;
  std::error_code error;
  for (std::filesystem::directory_iterator entry("/proc", error), end; !error && entry != end;
       entry.increment(error)) {
    const std::string name = entry->path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream stat(entry->path() / "stat");
    std::string line;
    if (!std::getline(stat, line)) continue;
    const std::size_t nameEnd = line.rfind(')');
    if (nameEnd == std::string::npos) continue;
    std::istringstream fields(line.substr(nameEnd + 1));
    char state = 0;
    long parent = 0;
    if (fields >> state >> parent && parent == static_cast<long>(getpid())) {
      children.push_back(static_cast<pid_t>(std::stol(name)));
    }
  }
  return children;
}

class ShorterWaitLimit {
 public:
  explicit ShorterWaitLimit(std::chrono::milliseconds limit) { SetWorkerWaitLimit(limit); }
  ~ShorterWaitLimit() { SetWorkerWaitLimit(kWorkerWaitLimit); }
};

class ArchiveWorkerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ChildProcesses().empty());
    ASSERT_TRUE(demogame::BuildMpq(dir_.File("gvdata.mor"), {{"g", Text("game"), MpqFile::Storage::Plain}}));
    ASSERT_TRUE(
        demogame::BuildMpq(dir_.File("kelddat.mpq"), {{"b", Text("base!"), MpqFile::Storage::Compressed}}));
  }

  // The single worker of `archives_`, after opening it.
  pid_t OpenWithWorker() {
    EXPECT_TRUE(archives_.OpenArchives(dir_.WithSeparator()));
    const std::vector<pid_t> children = ChildProcesses();
    EXPECT_EQ(children.size(), 1u);
    return children.empty() ? -1 : children.front();
  }

  void ExpectReadsWork() {
    Bytes buffer;
    EXPECT_EQ(archives_.ExtractFile(buffer, "b"), 5);
    EXPECT_EQ(buffer, Text("base!"));
    Bytes exact(4, 0);
    EXPECT_TRUE(archives_.ReadFileExact(exact.data(), 4, "g"));
    EXPECT_EQ(exact, Text("game"));
  }

  testkit::TempDir dir_;
  GameArchives archives_;
};

TEST_F(ArchiveWorkerTest, WorkerLivesWhileArchivesAreOpenAndIsReapedOnClose) {
  ASSERT_GT(OpenWithWorker(), 0);
  ExpectReadsWork();
  archives_.CloseArchives();
  EXPECT_TRUE(ChildProcesses().empty());
  archives_.CloseArchives();

  {
    GameArchives scoped;
    ASSERT_TRUE(scoped.OpenArchives(dir_.WithSeparator()));
    EXPECT_EQ(ChildProcesses().size(), 1u);
  }
  EXPECT_TRUE(ChildProcesses().empty());

  // Opening again replaces the worker instead of adding one.
  ASSERT_GT(OpenWithWorker(), 0);
  ASSERT_GT(OpenWithWorker(), 0);
}

TEST_F(ArchiveWorkerTest, ArchiveMissingBeforeTheLibraryIsAskedStartsNoWorker) {
  std::filesystem::remove(dir_.File("gvdata.mor"));
  EXPECT_FALSE(archives_.OpenArchives(dir_.WithSeparator()));
  EXPECT_TRUE(ChildProcesses().empty());
}

TEST_F(ArchiveWorkerTest, KilledWorkerFailsOneCallAndIsStartedAgainAtMostThreeTimes) {
  pid_t worker = OpenWithWorker();
  ASSERT_GT(worker, 0);
  for (int restart = 0; restart < kWorkerRestarts; ++restart) {
    SCOPED_TRACE(restart);
    ASSERT_EQ(kill(worker, SIGKILL), 0);
    // The call that finds the worker dead is a failed read: the buffer is emptied.
    Bytes buffer = {1, 2, 3};
    EXPECT_EQ(archives_.ExtractFile(buffer, "b"), 0);
    EXPECT_TRUE(buffer.empty());
    EXPECT_TRUE(ChildProcesses().empty());
    // The next call has a new worker with both archives.
    ExpectReadsWork();
    const std::vector<pid_t> children = ChildProcesses();
    ASSERT_EQ(children.size(), 1u);
    EXPECT_NE(children.front(), worker);
    worker = children.front();
  }

  ASSERT_EQ(kill(worker, SIGKILL), 0);
  Bytes buffer = {1};
  EXPECT_EQ(archives_.ExtractFile(buffer, "b"), 0);
  // No more workers: later calls find no archive.
  Bytes after = {4};
  EXPECT_EQ(archives_.ExtractFile(after, "b"), 0);
  EXPECT_EQ(after, (Bytes{4}));
  Bytes exact(4, 0xAA);
  EXPECT_FALSE(archives_.ReadFileExact(exact.data(), 4, "g"));
  EXPECT_EQ(exact, Bytes(4, 0xAA));
  EXPECT_TRUE(ChildProcesses().empty());

  // Opening the archives again starts afresh.
  ASSERT_GT(OpenWithWorker(), 0);
  ExpectReadsWork();
}

// One byte of a file's sector offset table changed: the library writes past a buffer while
// reading it. That read fails (the worker may die of it); the next file reads as before.
TEST_F(ArchiveWorkerTest, DamagedSectorTableFailsThatFileOnly) {
  Bytes data(20000);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 31 + i / 7);
  const std::string game = dir_.File("gvdata.mor");
  ASSERT_TRUE(demogame::BuildMpq(game, {{"damaged", data}, {"intact", data}}));
  const std::optional<std::uint64_t> table = testkit::StoredFileOffset(game, "damaged");
  ASSERT_TRUE(table.has_value());
  // The first offset, 24 (the table's own length for 5 sectors), becomes 150.
  ASSERT_TRUE(testkit::PatchFile(game, static_cast<std::size_t>(*table), {150}));

  ASSERT_TRUE(archives_.OpenArchives(dir_.WithSeparator()));
  Bytes buffer;
  EXPECT_EQ(archives_.ExtractFile(buffer, "damaged"), 0);
  EXPECT_TRUE(buffer.empty());
  EXPECT_EQ(archives_.ExtractFile(buffer, "intact"), 20000);
  EXPECT_EQ(buffer, data);
  EXPECT_EQ(archives_.ExtractFile(buffer, "b"), 5);
}

#ifdef __linux__
std::string StatusLine(pid_t pid, const std::string& key) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(key + ":", 0) == 0) return line;
  }
  return {};
}

TEST_F(ArchiveWorkerTest, WorkerIsConfinedOnceBothArchivesAreOpen) {
  const pid_t worker = OpenWithWorker();
  ASSERT_GT(worker, 0);
  EXPECT_EQ(StatusLine(worker, "NoNewPrivs"), "NoNewPrivs:\t1");
  EXPECT_EQ(StatusLine(worker, "Seccomp"), "Seccomp:\t2");
  ExpectReadsWork();
}

TEST(WorkerConfinement, AProcessThatOpensAFileOrASocketIsKilled) {
  // The process is a copy of this test program started afresh.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        if (!ConfineArchiveWorker()) _exit(1);
        // A sanitizer build's filter refuses opening files (its reports try to) instead.
        const int file = open("/dev/null", O_RDONLY);
        if (file >= 0) _exit(2);
        socket(AF_UNIX, SOCK_STREAM, 0);
        _exit(3);
      },
      ::testing::KilledBySignal(SIGSYS), "");
}
#endif

TEST_F(ArchiveWorkerTest, KilledWorkerFailsAnExactRead) {
  const pid_t worker = OpenWithWorker();
  ASSERT_GT(worker, 0);
  ASSERT_EQ(kill(worker, SIGKILL), 0);
  Bytes exact(4, 0);
  EXPECT_FALSE(archives_.ReadFileExact(exact.data(), 4, "g"));
  EXPECT_TRUE(ChildProcesses().empty());
}

TEST_F(ArchiveWorkerTest, SilentWorkerFailsTheCallAfterTheWaitLimit) {
  const ShorterWaitLimit limit(std::chrono::milliseconds(300));
  const pid_t worker = OpenWithWorker();
  ASSERT_GT(worker, 0);
  ASSERT_EQ(kill(worker, SIGSTOP), 0);

  const auto start = std::chrono::steady_clock::now();
  Bytes buffer = {1};
  EXPECT_EQ(archives_.ExtractFile(buffer, "b"), 0);
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(300));
  EXPECT_LT(waited, std::chrono::seconds(10));
  EXPECT_TRUE(buffer.empty());
  EXPECT_TRUE(ChildProcesses().empty());

  ASSERT_GT(OpenWithWorker(), 0);
  ExpectReadsWork();
}

TEST_F(ArchiveWorkerTest, SilentWorkerIsKilledWhenClosing) {
  const ShorterWaitLimit limit(std::chrono::milliseconds(300));
  const pid_t worker = OpenWithWorker();
  ASSERT_GT(worker, 0);
  ASSERT_EQ(kill(worker, SIGSTOP), 0);
  const auto start = std::chrono::steady_clock::now();
  archives_.CloseArchives();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_TRUE(ChildProcesses().empty());
}

// Gone, or a zombie that its new parent has yet to reap.
bool ProcessHasEnded(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(stat, line)) return true;
  const std::size_t nameEnd = line.rfind(')');
  return nameEnd != std::string::npos && line.size() > nameEnd + 2 && line[nameEnd + 2] == 'Z';
}

TEST(ArchiveWorkerParent, WorkerEndsWithAParentKilledByASignal) {
  // The parent is a copy of this test program started afresh, which runs this test from its
  // start too: it finds the game folder in the environment that it inherits.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  constexpr char kFolderVariable[] = "GVDE_TEST_WORKER_PARENT_DIR";
  std::optional<testkit::TempDir> made;
  if (getenv(kFolderVariable) == nullptr) {
    made.emplace();
    ASSERT_TRUE(demogame::BuildMpq(made->File("gvdata.mor"), {{"g", Text("game")}}));
    ASSERT_TRUE(demogame::BuildMpq(made->File("kelddat.mpq"), {{"b", Text("base")}}));
    ASSERT_EQ(setenv(kFolderVariable, made->path().c_str(), 1), 0);
  }
  const std::string dir = getenv(kFolderVariable);
  const std::string report = dir + "/worker.pid";
  // The worker is stopped, as one stuck in the library would be: it cannot notice that its
  // stream has ended.
  EXPECT_EXIT(
      {
        GameArchives archives;
        const std::vector<pid_t> workers =
            archives.OpenArchives(dir + "/") ? ChildProcesses() : std::vector<pid_t>{};
        if (workers.size() == 1 && kill(workers.front(), SIGSTOP) == 0) {
          std::ofstream(report) << workers.front() << std::endl;
        }
        kill(getpid(), SIGKILL);
      },
      ::testing::KilledBySignal(SIGKILL), "");
  unsetenv(kFolderVariable);
  pid_t worker = 0;
  ASSERT_TRUE(std::ifstream(report) >> worker);
  ASSERT_GT(worker, 0);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!ProcessHasEnded(worker) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(ProcessHasEnded(worker));
  if (!ProcessHasEnded(worker)) kill(worker, SIGKILL);
}

}  // namespace
}  // namespace gvde
