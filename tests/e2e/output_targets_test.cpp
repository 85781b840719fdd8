// Where --json FILE and --csv DIR may write, through gvde-cli on the demo game: targets checked
// before the run (nothing written when one cannot or must not be), standard output, links,
// devices and named pipes, and a signal that waits when the files would be renamed.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "demogame/demo_game.h"
#include "testkit/temp_dir.h"

extern char** environ;

namespace gvde::testkit {
namespace {

namespace fs = std::filesystem;

class OutputTargets : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(demogame::WriteDemoGame(dir_.path(), demogame::DemoOptions{}, nullptr)); }

  CommandResult Cli(const std::vector<std::string>& args) { return RunProgram(dir_.path(), GVDE_CLI_PATH, args); }

  // Refused before the run: exit 2, one error with its detail, and no output folder made.
  void ExpectRefused(const std::vector<std::string>& options, const std::string& target, const std::string& detail) {
    std::vector<std::string> args = {"--keep-going"};
    args.insert(args.end(), options.begin(), options.end());
    args.insert(args.end(), {"game", "site"});
    const CommandResult r = Cli(args);
    EXPECT_EQ(r.exitCode, 2) << target;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "Error: Cannot write " + target + "\n  " + detail + "\n");
    EXPECT_FALSE(fs::exists(dir_.File("site/data")));
  }

  TempDir dir_;
};

// The run's own inputs and the files of the site are never replaced, nor written through a
// link or a second name; a missing folder or a folder at the name is found before the run.
TEST_F(OutputTargets, RefusedBeforeAnythingIsWritten) {
  const std::string exe = ReadFileText(dir_.File("game/GV.exe"));
  ExpectRefused({"--json", "game/GV.exe"}, "game/GV.exe", "game/GV.exe is an input of the run");
  ExpectRefused({"--json", "game/kelddat.mpq"}, "game/kelddat.mpq", "game/kelddat.mpq is an input of the run");
  ExpectRefused({"--json=Address.ini"}, "Address.ini", "Address.ini is an input of the run");
  fs::create_symlink("game/gvdata.mor", dir_.File("link.json"));
  ExpectRefused({"--json", "link.json"}, "link.json", "link.json is the same file as game/gvdata.mor, an input of the run");
  fs::create_hard_link(dir_.File("Effect.ini"), dir_.File("second.json"));
  ExpectRefused({"--json", "second.json"}, "second.json", "second.json is the same file as Effect.ini, an input of the run");
  EXPECT_EQ(ReadFileText(dir_.File("game/GV.exe")), exe);

  ExpectRefused({"--json", "missing/data.json"}, "missing/data.json", "missing: No such file or directory");
  ExpectRefused({"--json", "game"}, "game", "game: Is a directory");
  ExpectRefused({"--csv", "game/GV.exe"}, "game/GV.exe", "game/GV.exe: Not a directory");
  ExpectRefused({"--csv", "missing/tables"}, "missing/tables", "missing: No such file or directory");
  dir_.MakeSubdir("tables");
  dir_.MakeSubdir("tables/bosses.csv");
  ExpectRefused({"--csv", "tables"}, "tables/bosses.csv", "tables/bosses.csv: Is a directory");
  fs::create_symlink("../AITypes.ini", dir_.File("tables/items.csv"));
  ExpectRefused({"--csv", "tables/"}, "tables/items.csv",
                "tables/items.csv is the same file as AITypes.ini, an input of the run");

  // The output folder itself, before the run makes it.
  ExpectRefused({"--csv", "./site"}, "./site", "./site is the output folder site/");
  ExpectRefused({"--json", "site"}, "site", "site is the output folder site/");

  // Inside the output folder, as given or through a link to it.
  ASSERT_TRUE(Cli({"--keep-going", "game", "site"}).exitCode == 0);
  const std::string index = ReadFileText(dir_.File("site/index.htm"));
  fs::remove_all(dir_.File("site/data"));
  ExpectRefused({"--json", "site/index.htm"}, "site/index.htm", "site/index.htm is inside the output folder site/");
  fs::create_directory_symlink("site", dir_.File("elsewhere"));
  ExpectRefused({"--json", "elsewhere/x.json"}, "elsewhere/x.json",
                "elsewhere/x.json is inside the output folder site/");
  ExpectRefused({"--csv", "site/tables"}, "site/tables", "site/tables is inside the output folder site/");
  EXPECT_EQ(ReadFileText(dir_.File("site/index.htm")), index);
}

TEST_F(OutputTargets, NoPermissionIsFoundBeforeTheRun) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not stop root";
  const std::string locked = dir_.MakeSubdir("locked");
  fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
  ExpectRefused({"--json", "locked/data.json"}, "locked/data.json", "locked: Permission denied");
}

// "-" is standard output: the document alone, "Done" on stderr, no file named "-".
TEST_F(OutputTargets, StandardOutputTakesTheDocumentAlone) {
  const CommandResult toFile = Cli({"--keep-going", "--json", "data.json", "game", "site"});
  ASSERT_EQ(toFile.exitCode, 0) << toFile.err;
  const CommandResult toOutput = Cli({"--keep-going", "--json", "-", "game", "site"});
  EXPECT_EQ(toOutput.exitCode, 0) << toOutput.err;
  EXPECT_EQ(toOutput.out, ReadFileText(dir_.File("data.json")));
  EXPECT_TRUE(WithoutSummary(toOutput.err).ends_with("cannot be read\nDone\n")) << toOutput.err;
  EXPECT_FALSE(fs::exists(dir_.File("-")));

  const CommandResult tables = Cli({"--keep-going", "--csv", "-", "game", "site"});
  EXPECT_EQ(tables.exitCode, 2);
  EXPECT_EQ(tables.err, "gvde-cli: --csv needs a folder, not - (standard output)\nTry 'gvde-cli --help'\n");
}

// A link keeps its place; what is not a plain file is written into where it is.
TEST_F(OutputTargets, LinksAndDevicesAreWrittenThrough) {
  fs::create_symlink("/dev/null", dir_.File("null.json"));
  fs::create_symlink("real.json", dir_.File("link.json"));
  CommandResult r = Cli({"--keep-going", "--json", "null.json", "game", "site"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(fs::read_symlink(dir_.File("null.json")), "/dev/null");
  r = Cli({"--keep-going", "--json", "link.json", "game", "site"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(fs::is_symlink(dir_.File("link.json")));
  EXPECT_TRUE(ReadFileText(dir_.File("real.json")).starts_with("{\n  \"format\": \"gvde-data\",\n"));
}

// A signal that comes while the files are written waits; at the rename it leaves the earlier
// file, and the program ends by the signal, without "Done". The tables go first, into a named
// pipe that the test reads: the signal is sent once the first bytes arrive, while the rest of
// the table waits to be read.
TEST_F(OutputTargets, SignalWaitingAtTheRenameLeavesTheEarlierFile) {
  const std::string document = dir_.File("data.json");
  ASSERT_TRUE(WriteFileText(document, "earlier"));
  const std::string tables = dir_.MakeSubdir("tables");
  const std::string pipe = tables + "/items.csv";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  // A pipe smaller than the table keeps the writer waiting for the test until it is signalled.
  ASSERT_GE(::fcntl(reader, F_SETPIPE_SZ, 4096), 0);

  std::vector<std::string> words = {GVDE_CLI_PATH, "--keep-going", "--json", "data.json", "--csv", "tables", "game",
                                    "site"};
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, dir_.File("out.txt").c_str(), O_WRONLY | O_CREAT, 0600);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  const std::string cwd = fs::current_path();
  fs::current_path(dir_.path());
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, GVDE_CLI_PATH, &actions, nullptr, argv.data(), environ);
  fs::current_path(cwd);
  posix_spawn_file_actions_destroy(&actions);
  ASSERT_EQ(spawned, 0);

  std::string received;
  bool signalled = false;
  for (int waits = 0; waits < 6000; ++waits) {
    char buffer[1024];
    const ssize_t n = ::read(reader, buffer, sizeof buffer);
    if (n > 0) {
      received.append(buffer, static_cast<std::size_t>(n));
      if (!signalled) signalled = ::kill(pid, SIGTERM) == 0;
    } else if (n == 0 && signalled) {
      break;  // the writer closed the table
    } else {
      ::usleep(10000);
    }
  }
  ::close(reader);
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(signalled);
  EXPECT_TRUE(received.starts_with("\xEF\xBB\xBFnumber,name,key,")) << received.substr(0, 40);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
  EXPECT_EQ(ReadFileText(dir_.File("out.txt")), "");
  EXPECT_EQ(ReadFileText(document), "earlier");
  EXPECT_EQ(ListFileNames(tables), std::vector<std::string>{"items.csv"});
  EXPECT_EQ(ListFileNames(dir_.path()), (std::vector<std::string>{"AITypes.ini", "Address.ini", "Effect.ini",
                                                                  "data.json", "game", "out.txt", "site", "tables"}));
}

}  // namespace
}  // namespace gvde::testkit
