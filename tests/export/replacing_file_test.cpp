// ReplacingFiles: where the file of --json and --csv goes (a link's file, a device, a named pipe)
// and how a set of them ends (renamed together, left as they were, the obstacle named).
#include "export/replacing_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "testkit/temp_dir.h"

namespace gvde {
namespace {

namespace fs = std::filesystem;
using testkit::ListFileNames;
using testkit::ReadFileText;

bool Replace(ReplacingFiles& files, const std::string& path, const std::string& text) {
  if (!files.Begin(path)) return false;
  files.Write(text);
  return files.End();
}

class ReplacingFilesTest : public ::testing::Test {
 protected:
  testkit::TempDir dir_;
};

// A link keeps its place and the file it leads to is replaced; a link that leads nowhere gets
// its file; a link to a device is written through, nothing made beside it.
TEST_F(ReplacingFilesTest, LinksKeepTheirPlace) {
  ASSERT_TRUE(testkit::WriteFileText(dir_.File("real.json"), "earlier"));
  fs::create_symlink("real.json", dir_.File("link.json"));
  fs::create_symlink("made.json", dir_.File("dangling.json"));
  fs::create_symlink("/dev/null", dir_.File("null.json"));
  {
    ReplacingFiles files;
    ASSERT_TRUE(Replace(files, dir_.File("link.json"), "new"));
    ASSERT_TRUE(Replace(files, dir_.File("dangling.json"), "made"));
    ASSERT_TRUE(Replace(files, dir_.File("null.json"), "nothing"));
    ASSERT_TRUE(files.Commit());
  }
  EXPECT_TRUE(fs::is_symlink(dir_.File("link.json")));
  EXPECT_EQ(ReadFileText(dir_.File("real.json")), "new");
  EXPECT_TRUE(fs::is_symlink(dir_.File("dangling.json")));
  EXPECT_EQ(ReadFileText(dir_.File("made.json")), "made");
  EXPECT_EQ(fs::read_symlink(dir_.File("null.json")), "/dev/null");
  EXPECT_EQ(ListFileNames(dir_.path()),
            (std::vector<std::string>{"dangling.json", "link.json", "made.json", "null.json", "real.json"}));
}

// Two programs writing one file each have a temporary file of their own: both are renamed, the
// later one wins, and neither is left behind.
TEST_F(ReplacingFilesTest, TwoWritersOfOneFileNeverShareATemporaryFile) {
  const std::string path = dir_.File("data.json");
  ReplacingFiles first;
  ReplacingFiles second;
  ASSERT_TRUE(first.Begin(path));
  ASSERT_TRUE(second.Begin(path));
  first.Write("first");
  second.Write("second");
  ASSERT_TRUE(first.End());
  ASSERT_TRUE(second.End());
  EXPECT_EQ(ListFileNames(dir_.path()).size(), 2u);
  EXPECT_TRUE(first.Commit());
  EXPECT_TRUE(second.Commit());
  EXPECT_EQ(ReadFileText(path), "second");
  EXPECT_EQ(ListFileNames(dir_.path()), std::vector<std::string>{"data.json"});
}

// A signal waiting when the files would be renamed: every earlier file stays.
TEST_F(ReplacingFilesTest, InterruptedCommitLeavesTheEarlierFiles) {
  const std::string path = dir_.File("data.json");
  ASSERT_TRUE(testkit::WriteFileText(path, "earlier"));
  {
    ReplacingFiles files;
    ASSERT_TRUE(Replace(files, path, "new"));
    ASSERT_TRUE(Replace(files, dir_.File("items.csv"), "new"));
    EXPECT_FALSE(files.Commit([] { return true; }));
    EXPECT_TRUE(files.Interrupted());
  }
  EXPECT_EQ(ReadFileText(path), "earlier");
  EXPECT_EQ(ListFileNames(dir_.path()), std::vector<std::string>{"data.json"});
}

// The detail names the file in the way with the system's reason, the temporary file when that
// is what could not be made.
TEST_F(ReplacingFilesTest, FailuresNameWhatIsInTheWay) {
  ReplacingFiles gone;
  const std::string missing = dir_.File("gone/data.json");
  EXPECT_FALSE(gone.Begin(missing));
  EXPECT_EQ(gone.FailedPath(), missing);
  EXPECT_TRUE(gone.FailureDetail().starts_with("temporary file " + missing + ".")) << gone.FailureDetail();
  EXPECT_TRUE(gone.FailureDetail().ends_with(".tmp: No such file or directory")) << gone.FailureDetail();

  const std::string path = dir_.File("data.json");
  ReplacingFiles blocked;
  ASSERT_TRUE(Replace(blocked, path, "new"));
  fs::create_directory(path);  // made after the file was begun
  EXPECT_FALSE(blocked.Commit());
  EXPECT_EQ(blocked.FailureDetail(), path + ": Is a directory");

  const std::string pipe = dir_.File("pipe.json");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  ReplacingFiles unread;
  EXPECT_FALSE(unread.Begin(pipe));  // no one reads it: not waited for
  EXPECT_EQ(unread.FailureDetail(), pipe + ": No such device or address");
}

}  // namespace
}  // namespace gvde
