// The worker process seen from outside: it exists while archives are open, it is reaped on
// every way out, and its death or silence fails calls instead of the program.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/landlock.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "archive/game_archives.h"
#include "archive/worker_confinement.h"
#include "archive/worker_launch.h"
#include "archive/worker_launch_path.h"
#include "archive/worker_protocol.h"
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
    EXPECT_TRUE(archives_->OpenArchives(dir_.WithSeparator()));
    const std::vector<pid_t> children = ChildProcesses();
    EXPECT_EQ(children.size(), 1u);
    return children.empty() ? -1 : children.front();
  }

  void ExpectReadsWork() {
    Bytes buffer;
    EXPECT_EQ(archives_->ExtractFile(buffer, "b"), 5);
    EXPECT_EQ(buffer, Text("base!"));
    Bytes exact(4, 0);
    EXPECT_TRUE(archives_->ReadFileExact(exact.data(), 4, "g"));
    EXPECT_EQ(exact, Text("game"));
  }

  testkit::TempDir dir_;
  // Replaced before opening by tests that wait for a silent worker.
  std::unique_ptr<GameArchives> archives_ = std::make_unique<GameArchives>();
};

TEST_F(ArchiveWorkerTest, WorkerLivesWhileArchivesAreOpenAndIsReapedOnClose) {
  ASSERT_GT(OpenWithWorker(), 0);
  ExpectReadsWork();
  archives_->CloseArchives();
  EXPECT_TRUE(ChildProcesses().empty());
  archives_->CloseArchives();

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
  EXPECT_FALSE(archives_->OpenArchives(dir_.WithSeparator()));
  EXPECT_TRUE(ChildProcesses().empty());
}

// Each worker lost while reading costs that file alone: it fails at once for the rest of the
// run, however many files did so before, and the next file has a new worker.
TEST_F(ArchiveWorkerTest, KilledWorkerFailsTheFileItWasReadingForTheRestOfTheRun) {
  std::vector<demogame::MpqFile> files = {{"b", Text("base!")}};
  for (int i = 0; i < 5; ++i) files.push_back({"f" + std::to_string(i), Text("file")});
  ASSERT_TRUE(demogame::BuildMpq(dir_.File("kelddat.mpq"), files));
  pid_t worker = OpenWithWorker();
  ASSERT_GT(worker, 0);
  for (int i = 0; i < 5; ++i) {
    const std::string name = "f" + std::to_string(i);
    SCOPED_TRACE(name);
    ASSERT_EQ(kill(worker, SIGKILL), 0);
    // The call that finds the worker dead is a failed read: the buffer is emptied.
    Bytes buffer = {1, 2, 3};
    EXPECT_EQ(archives_->ExtractFile(buffer, name), 0);
    EXPECT_TRUE(buffer.empty());
    EXPECT_EQ(archives_->TakeReaderFailure(), "the archive reader crashed while reading " + name);
    EXPECT_EQ(archives_->TakeReaderFailure(), "");
    // Asked again, the file fails without a worker; the next file has a new one.
    Bytes again = {4};
    EXPECT_EQ(archives_->ExtractFile(again, name), 0);
    Bytes exact(4, 0xAA);
    EXPECT_FALSE(archives_->ReadFileExact(exact.data(), 4, name));
    EXPECT_TRUE(ChildProcesses().empty());
    EXPECT_EQ(archives_->TakeReaderFailure(), "");
    ExpectReadsWork();
    const std::vector<pid_t> children = ChildProcesses();
    ASSERT_EQ(children.size(), 1u);
    EXPECT_NE(children.front(), worker);
    worker = children.front();
  }

  // Opening the archives again starts afresh.
  ASSERT_GT(OpenWithWorker(), 0);
  Bytes buffer;
  EXPECT_EQ(archives_->ExtractFile(buffer, "f0"), 4);
}

TEST_F(ArchiveWorkerTest, WorkerStoppedByItsFilterIsToldAsSuch) {
  const pid_t worker = OpenWithWorker();
  ASSERT_GT(worker, 0);
  ASSERT_EQ(kill(worker, SIGSYS), 0);
  Bytes exact(4, 0);
  EXPECT_FALSE(archives_->ReadFileExact(exact.data(), 4, "g"));
  EXPECT_EQ(archives_->TakeReaderFailure(),
            "the archive reader was stopped by its system call filter while reading g");
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

  ASSERT_TRUE(archives_->OpenArchives(dir_.WithSeparator()));
  Bytes buffer;
  EXPECT_EQ(archives_->ExtractFile(buffer, "damaged"), 0);
  EXPECT_TRUE(buffer.empty());
  EXPECT_EQ(archives_->ExtractFile(buffer, "intact"), 20000);
  EXPECT_EQ(buffer, data);
  EXPECT_EQ(archives_->ExtractFile(buffer, "b"), 5);
}

// The first offset of the sector table of "(listfile)" changed, so that reading that file
// writes 126 bytes past a buffer of the library (an AddressSanitizer build's worker reports it
// and the open fails, when the list is read). The archives are opened without their lists of
// names, so nothing reads it: opening works, and files are looked up by name as before.
TEST_F(ArchiveWorkerTest, DamagedListOfNamesIsNotReadWhenOpening) {
  std::vector<demogame::MpqFile> files;
  for (int i = 0; i < 200; ++i) files.push_back({"data\\file" + std::to_string(i) + ".bin", Text("name")});
  const std::string base = dir_.File("kelddat.mpq");
  ASSERT_TRUE(demogame::BuildMpq(base, files));
  const std::optional<std::uint64_t> table = testkit::StoredFileOffset(base, "(listfile)");
  ASSERT_TRUE(table.has_value());
  // The list is encrypted, and its first entry decrypts as the stored value XOR a key stream
  // of its own: XOR-ing it turns the 8 of one sector's table into 8 + 126.
  const std::string stored = testkit::ReadFileText(base);
  ASSERT_GT(stored.size(), *table + 4);
  std::vector<std::uint8_t> entry(stored.begin() + static_cast<std::ptrdiff_t>(*table),
                                  stored.begin() + static_cast<std::ptrdiff_t>(*table + 4));
  entry[0] ^= static_cast<std::uint8_t>(8 ^ (8 + 126));
  ASSERT_TRUE(testkit::PatchFile(base, static_cast<std::size_t>(*table), entry));

  ASSERT_TRUE(archives_->OpenArchives(dir_.WithSeparator()));
  Bytes buffer;
  EXPECT_EQ(archives_->ExtractFile(buffer, "data\\file199.bin"), 4);
  EXPECT_EQ(archives_->ExtractFile(buffer, "g"), 4);
  EXPECT_EQ(archives_->TakeReaderFailure(), "");
  EXPECT_EQ(ChildProcesses().size(), 1u);
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

// Worker programs and test programs are built into different folders; each finds the worker
// program beside itself.
TEST(WorkerProgram, IsFoundBesideTheRunningProgram) {
  const WorkerProgram program = FindWorkerProgram();
  EXPECT_EQ(program.problem, "");
  EXPECT_EQ(std::filesystem::path(program.path).parent_path(),
            std::filesystem::read_symlink("/proc/self/exe").parent_path());
}

// A link to the worker's stream for tests that speak the protocol themselves.
class ProcessLink final : public ByteLink {
 public:
  explicit ProcessLink(WorkerProcess& process) : process_(process) {}

 private:
  std::size_t WriteSome(const std::uint8_t* data, std::size_t size) override {
    return process_.Send(data, size, std::chrono::seconds(10));
  }
  std::size_t ReadSome(std::uint8_t* data, std::size_t size) override {
    return process_.Receive(data, size, std::chrono::seconds(10));
  }

  WorkerProcess& process_;
};

// The game archive is a named pipe, so the library waits inside its first open of it until
// something is written: by then the worker is confined.
TEST_F(ArchiveWorkerTest, WorkerIsConfinedBeforeTheLibraryOpensAnArchive) {
  const std::string pipe = dir_.File("waiting.mor");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  WorkerProcess process;
  ASSERT_EQ(process.Start(), "");
  const std::vector<pid_t> children = ChildProcesses();
  ASSERT_EQ(children.size(), 1u);
  ProcessLink link(process);
  ReplyHead head;
  ASSERT_TRUE(
      SendRequest(link, {WorkerOp::ConfineToArchives, 0, ArchivePathsText(pipe, dir_.File("kelddat.mpq"))}));
  ASSERT_TRUE(ReceiveReplyHead(link, head));
  EXPECT_EQ(head.status, 1);
  ASSERT_TRUE(SendRequest(link, {WorkerOp::OpenGameArchive, 0, pipe}));
  // The open cannot end before the pipe has a writer, and confinement is never undone: what
  // shows now holds for the library's first look at the archive.
  EXPECT_EQ(StatusLine(children.front(), "NoNewPrivs"), "NoNewPrivs:\t1");
  EXPECT_EQ(StatusLine(children.front(), "Seccomp"), "Seccomp:\t2");
  // A writer that goes away at once: the library reads an empty file, no archive.
  const int writer = open(pipe.c_str(), O_WRONLY);
  ASSERT_GE(writer, 0);
  close(writer);
  std::optional<std::uint32_t> libraryError;
  ASSERT_TRUE(ReceiveOpenReply(link, libraryError));
  EXPECT_TRUE(libraryError.has_value());
}

// Deaths of a process confined as the worker confines itself, in a copy of this test program
// started afresh. A sanitizer build's filter refuses, instead of killing, what its reports use:
// opening files (once the archives are open) and starting programs.
class WorkerConfinement : public ::testing::Test {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    ASSERT_TRUE(testkit::WriteFileText(archive_, "an archive"));
    ASSERT_TRUE(testkit::WriteFileText(other_, "another file"));
  }

  testkit::TempDir dir_;
  const std::string archive_ = dir_.File("game.mor");
  const std::string other_ = dir_.File("other.txt");
};

TEST_F(WorkerConfinement, ArchivesCanStillBeOpenedToReadAndOtherFilesOnlyWithoutLandlock) {
  const bool landlock =
      syscall(SYS_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION) >= 1;
  EXPECT_EXIT(
      {
        if (!ConfineWorkerToArchives(archive_, other_ + ".absent")) _exit(1);
        const int archive = open(archive_.c_str(), O_RDONLY);
        if (archive < 0) _exit(2);
        close(archive);
        const int other = open(other_.c_str(), O_RDONLY);
        if (landlock && (other >= 0 || errno != EACCES)) _exit(3);
        if (!landlock && other < 0) _exit(4);
        _exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST_F(WorkerConfinement, OpeningToWriteOrStartingAProgramKillsBeforeTheArchivesAreOpen) {
  EXPECT_EXIT(
      {
        if (!ConfineWorkerToArchives(archive_, other_)) _exit(1);
        open(archive_.c_str(), O_WRONLY);
        _exit(2);
      },
      ::testing::KilledBySignal(SIGSYS), "");
  EXPECT_EXIT(
      {
        if (!ConfineWorkerToArchives(archive_, other_)) _exit(1);
        char* arguments[] = {nullptr};
        execve("/bin/true", arguments, arguments);
        socket(AF_UNIX, SOCK_STREAM, 0);
        _exit(2);
      },
      ::testing::KilledBySignal(SIGSYS), "");
}

TEST_F(WorkerConfinement, AProcessThatOpensAFileOrASocketOnceTheArchivesAreOpenIsKilled) {
  EXPECT_EXIT(
      {
        if (!ConfineWorkerToArchives(archive_, other_) || !ConfineWorkerToReading()) _exit(1);
        const int file = open(archive_.c_str(), O_RDONLY);
        if (file >= 0) _exit(2);
        socket(AF_UNIX, SOCK_STREAM, 0);
        _exit(3);
      },
      ::testing::KilledBySignal(SIGSYS), "");
}

// However a C library asks about a descriptor that is open, the answer is an answer or an
// error code; asking about a path still ends the worker.
TEST_F(WorkerConfinement, QueriesOnOpenDescriptorsWorkOrFailWithAnErrorCode) {
  EXPECT_EXIT(
      {
        const int file = open(archive_.c_str(), O_RDONLY);
        if (file < 0 || !ConfineWorkerToReading()) _exit(1);
        struct stat status {};
        if (syscall(SYS_fstat, file, &status) != 0 || status.st_size != 10) _exit(2);
        if (syscall(SYS_newfstatat, file, "", &status, AT_EMPTY_PATH) != 0 || status.st_size != 10) _exit(3);
        if (fstat(file, &status) != 0) _exit(4);
        struct statx extended {};
        if (syscall(SYS_statx, file, "", AT_EMPTY_PATH, STATX_SIZE, &extended) != -1 || errno != ENOSYS)
          _exit(5);
        std::uint8_t random[16];
        if (syscall(SYS_getrandom, random, sizeof random, 0) != static_cast<long>(sizeof random)) _exit(6);
        _exit(0);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(
      {
        if (!ConfineWorkerToReading()) _exit(1);
        struct stat status {};
        syscall(SYS_newfstatat, AT_FDCWD, "/", &status, AT_EMPTY_PATH);
        _exit(2);
      },
      ::testing::KilledBySignal(SIGSYS), "");
}
#endif

TEST_F(ArchiveWorkerTest, KilledWorkerFailsAnExactRead) {
  const pid_t worker = OpenWithWorker();
  ASSERT_GT(worker, 0);
  ASSERT_EQ(kill(worker, SIGKILL), 0);
  Bytes exact(4, 0);
  EXPECT_FALSE(archives_->ReadFileExact(exact.data(), 4, "g"));
  EXPECT_TRUE(ChildProcesses().empty());
}

TEST_F(ArchiveWorkerTest, SilentWorkerFailsTheCallAfterTheWaitLimit) {
  archives_ = std::make_unique<GameArchives>(std::chrono::milliseconds(300));
  const pid_t worker = OpenWithWorker();
  ASSERT_GT(worker, 0);
  ASSERT_EQ(kill(worker, SIGSTOP), 0);

  const auto start = std::chrono::steady_clock::now();
  Bytes buffer = {1};
  EXPECT_EQ(archives_->ExtractFile(buffer, "b"), 0);
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(300));
  EXPECT_LT(waited, std::chrono::seconds(10));
  EXPECT_TRUE(buffer.empty());
  EXPECT_TRUE(ChildProcesses().empty());
  EXPECT_EQ(archives_->TakeReaderFailure(), "the archive reader did not answer within 0.3 s while reading b");
  // One wait per file: asked again, it fails at once.
  const auto again = std::chrono::steady_clock::now();
  EXPECT_EQ(archives_->ExtractFile(buffer, "b"), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - again, std::chrono::milliseconds(300));

  ASSERT_GT(OpenWithWorker(), 0);
  ExpectReadsWork();
}

TEST_F(ArchiveWorkerTest, SilentWorkerIsKilledWhenClosing) {
  archives_ = std::make_unique<GameArchives>(std::chrono::milliseconds(300));
  const pid_t worker = OpenWithWorker();
  ASSERT_GT(worker, 0);
  ASSERT_EQ(kill(worker, SIGSTOP), 0);
  const auto start = std::chrono::steady_clock::now();
  archives_->CloseArchives();
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
