#include "platform/file_system.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "platform/file_error.h"
#include "platform/output_limit.h"

namespace gvde {
namespace {

class FileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/gvde-fs-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }
  std::string dir_;
};

TEST_F(FileSystemTest, WrittenFileReadsBackWhole) {
  OutputFile out;
  ASSERT_TRUE(out.Create(dir_ + "/a.bin"));
  out.Write("ab\0c", 4);
  out.Write(std::string_view("\r\n"));
  EXPECT_TRUE(out.Close());
  auto bytes = ReadWholeFile(dir_ + "/a.bin", 6);
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(std::string(bytes->begin(), bytes->end()), std::string("ab\0c\r\n", 6));
}

TEST_F(FileSystemTest, CreateReplacesAnExistingFile) {
  OutputFile out;
  ASSERT_TRUE(out.Create(dir_ + "/a.txt"));
  out.Write(std::string_view("long old content"));
  ASSERT_TRUE(out.Close());
  ASSERT_TRUE(out.Create(dir_ + "/a.txt"));
  out.Write(std::string_view("new"));
  ASSERT_TRUE(out.Close());
  auto bytes = ReadWholeFile(dir_ + "/a.txt", 100);
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(std::string(bytes->begin(), bytes->end()), "new");
}

TEST_F(FileSystemTest, CreateIfAbsentKeepsWhatIsThere) {
  OutputFile out;
  bool exists = true;
  ASSERT_TRUE(out.CreateIfAbsent(dir_ + "/a.txt", exists));
  EXPECT_FALSE(exists);
  out.Write(std::string_view("first"));
  ASSERT_TRUE(out.Close());
  // A file, and a dangling link whose target must not come into being.
  ASSERT_EQ(symlink((dir_ + "/target").c_str(), (dir_ + "/link.txt").c_str()), 0);
  for (const char* name : {"/a.txt", "/link.txt"}) {
    EXPECT_FALSE(out.CreateIfAbsent(dir_ + name, exists)) << name;
    EXPECT_TRUE(exists) << name;
  }
  auto bytes = ReadWholeFile(dir_ + "/a.txt", 100);
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(std::string(bytes->begin(), bytes->end()), "first");
  struct stat info {};
  EXPECT_NE(stat((dir_ + "/target").c_str(), &info), 0);
}

TEST_F(FileSystemTest, RenameOverReplacesTheTargetAndRemoveDeletes) {
  for (const char* name : {"/old", "/new"}) {
    OutputFile out;
    ASSERT_TRUE(out.Create(dir_ + name));
    out.Write(std::string_view(name));
    ASSERT_TRUE(out.Close());
  }
  EXPECT_TRUE(RenameOver(dir_ + "/new", dir_ + "/old"));
  auto bytes = ReadWholeFile(dir_ + "/old", 100);
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(std::string(bytes->begin(), bytes->end()), "/new");
  EXPECT_FALSE(ReadWholeFile(dir_ + "/new", 100).has_value());
  EXPECT_FALSE(RenameOver(dir_ + "/new", dir_ + "/old"));  // nothing left to rename

  EXPECT_TRUE(RemoveFile(dir_ + "/old"));
  EXPECT_FALSE(ReadWholeFile(dir_ + "/old", 100).has_value());
  EXPECT_FALSE(RemoveFile(dir_ + "/old"));
}

TEST_F(FileSystemTest, FailuresAreReported) {
  OutputFile out;
  EXPECT_FALSE(out.Create(dir_ + "/missing/a.txt"));
  EXPECT_FALSE(out.Close());
  EXPECT_FALSE(out.Create(std::string(MaxPathLength() + 1, 'a')));
  EXPECT_FALSE(ReadWholeFile(dir_ + "/nothing", 100).has_value());
  EXPECT_FALSE(ReadWholeFile(dir_, 100).has_value());  // a directory is not a file
}

TEST_F(FileSystemTest, FilesAboveTheLimitAreRefusedUnread) {
  OutputFile out;
  ASSERT_TRUE(out.Create(dir_ + "/seven"));
  out.Write(std::string_view("1234567"));
  ASSERT_TRUE(out.Close());
  EXPECT_TRUE(ReadWholeFile(dir_ + "/seven", 7).has_value());
  EXPECT_FALSE(ReadWholeFile(dir_ + "/seven", 6).has_value());
  // A sparse file of 3 GiB: refused from its size alone, so nothing near it is allocated.
  const std::string sparse = dir_ + "/sparse";
  ASSERT_TRUE(out.Create(sparse));
  ASSERT_TRUE(out.Close());
  ASSERT_EQ(truncate(sparse.c_str(), off_t{3} << 30), 0);
  EXPECT_FALSE(ReadWholeFile(sparse, 64u << 20).has_value());
}

// Each file counts as its size and as at least 4 KiB, so very many small files reach the limit
// as a few large ones do. A write past the limit surfaces at Close; a file past it is not
// created at all.
TEST_F(FileSystemTest, FilesCountAgainstTheOutputLimitAsAtLeastFourKiB) {
  constexpr std::uint64_t kLeast = OutputLimit::kLeastPerFile;
  OutputFile out;
  {
    OutputLimit limit(3 * kLeast + 10);
    ASSERT_TRUE(out.Create(dir_ + "/small"));
    out.Write(std::string_view("1234567890"));
    EXPECT_TRUE(out.Close());
    ASSERT_TRUE(out.Create(dir_ + "/large"));
    out.Write(std::string(kLeast, 'x'));
    out.Write(std::string_view("1234567890"));
    EXPECT_TRUE(out.Close());
    ASSERT_TRUE(out.Create(dir_ + "/empty"));
    EXPECT_TRUE(out.Close());
    EXPECT_FALSE(limit.Reached());
    EXPECT_FALSE(out.Create(dir_ + "/one-too-many"));
    EXPECT_FALSE(out.Close());
    EXPECT_TRUE(limit.Reached());
    EXPECT_FALSE(ReadWholeFile(dir_ + "/one-too-many", 100).has_value());
  }
  {
    OutputLimit limit(kLeast + 5);
    ASSERT_TRUE(out.Create(dir_ + "/grows"));
    out.Write(std::string(kLeast, 'x'));
    out.Write(std::string_view("123456"));
    EXPECT_FALSE(out.Close());
    EXPECT_TRUE(limit.Reached());
  }
  {
    OutputLimit limit(100 * kLeast);
    int created = 0;
    while (created < 1000 && WriteWholeFile(dir_ + "/f" + std::to_string(created), {})) ++created;
    EXPECT_EQ(created, 100);
  }
  // Without a limit in force, writes go through again.
  ASSERT_TRUE(out.Create(dir_ + "/c.txt"));
  out.Write(std::string(1 << 16, 'x'));
  EXPECT_TRUE(out.Close());
}

// Files past the size held in memory are written in pieces; a file written while another is
// open on the same thread keeps its own bytes.
TEST_F(FileSystemTest, LargeAndInterleavedFilesReadBackWhole) {
  std::string large;
  for (int i = 0; large.size() < (3u << 20); ++i) large += std::to_string(i) + ",";
  OutputFile outer;
  ASSERT_TRUE(outer.Create(dir_ + "/outer"));
  outer.Write(std::string_view(large).substr(0, 100));
  {
    OutputFile inner;
    ASSERT_TRUE(inner.Create(dir_ + "/inner"));
    inner.Write(std::string_view("inner"));
    ASSERT_TRUE(inner.Close());
  }
  outer.Write(std::string_view(large).substr(100, (1u << 20) - 50));
  outer.Write(std::string_view(large).substr(100 + (1u << 20) - 50));
  ASSERT_TRUE(outer.Close());
  const auto outerBytes = ReadWholeFile(dir_ + "/outer", 8u << 20);
  ASSERT_TRUE(outerBytes.has_value());
  EXPECT_TRUE(std::string(outerBytes->begin(), outerBytes->end()) == large);
  const auto innerBytes = ReadWholeFile(dir_ + "/inner", 100);
  ASSERT_TRUE(innerBytes.has_value());
  EXPECT_EQ(std::string(innerBytes->begin(), innerBytes->end()), "inner");
}

// Files of a held folder are created in it: a link planted at a name is replaced and the file
// it led to stays, a folder at a name stays and the creation fails with its reason, and the
// folder renamed after it was opened still receives the files.
TEST_F(FileSystemTest, HeldFolderCreatesItsFilesByName) {
  ASSERT_TRUE(MakeDirectory(dir_ + "/data"));
  OutputFolder folder;
  ASSERT_TRUE(folder.Open(dir_ + "/data"));
  EXPECT_EQ(folder.PathOf("a.htm"), dir_ + "/data/a.htm");
  ASSERT_TRUE(WriteWholeFile(dir_ + "/victim", std::span<const std::uint8_t>()));
  ASSERT_EQ(symlink((dir_ + "/victim").c_str(), (dir_ + "/data/link.htm").c_str()), 0);
  ASSERT_TRUE(MakeDirectory(dir_ + "/data/folder.htm"));

  const std::uint8_t bytes[] = {'p', 'a', 'g', 'e'};
  EXPECT_TRUE(WriteWholeFile(folder, "link.htm", bytes));
  EXPECT_EQ(ReadWholeFile(dir_ + "/data/link.htm", 10), std::vector<std::uint8_t>(bytes, bytes + 4));
  EXPECT_EQ(ReadWholeFile(dir_ + "/victim", 10), std::vector<std::uint8_t>());
  ClearFileError();
  EXPECT_FALSE(WriteWholeFile(folder, "folder.htm", bytes));
  EXPECT_EQ(DescribeFileError(dir_ + "/data/folder.htm"), dir_ + "/data/folder.htm: Is a directory");
  EXPECT_TRUE(IsDirectory(dir_ + "/data/folder.htm"));

  ASSERT_EQ(std::rename((dir_ + "/data").c_str(), (dir_ + "/moved").c_str()), 0);
  OutputFile out;
  ASSERT_TRUE(out.Create(folder, "late.htm"));
  out.Write(std::string_view("late"));
  EXPECT_TRUE(out.Close());
  EXPECT_TRUE(ReadWholeFile(dir_ + "/moved/late.htm", 10).has_value());

  EXPECT_FALSE(OutputFolder().Open(dir_ + "/victim"));
  EXPECT_FALSE(out.Create(OutputFolder(), "never.htm"));
}

TEST_F(FileSystemTest, DirectoriesAreCreatedOneLevelOnly) {
  EXPECT_TRUE(MakeDirectory(dir_ + "/data"));
  EXPECT_TRUE(IsDirectory(dir_ + "/data"));
  EXPECT_FALSE(MakeDirectory(dir_ + "/data"));
  EXPECT_FALSE(MakeDirectory(dir_ + "/x/y"));
  OutputFile out;
  ASSERT_TRUE(out.Create(dir_ + "/plain"));
  ASSERT_TRUE(out.Close());
  EXPECT_FALSE(IsDirectory(dir_ + "/plain"));
  EXPECT_EQ(PathSeparator(), '/');
}

TEST_F(FileSystemTest, InputFileReadsRangesInsideThePlainFileOnly) {
  OutputFile out;
  ASSERT_TRUE(out.Create(dir_ + "/r.bin"));
  out.Write(std::string_view("0123456789"));
  ASSERT_TRUE(out.Close());

  InputFile file;
  ASSERT_TRUE(file.Open(dir_ + "/r.bin"));
  EXPECT_EQ(file.Size(), 10u);
  std::uint8_t bytes[4] = {};
  ASSERT_TRUE(file.ReadAt(6, bytes, 4));
  EXPECT_EQ(std::string(bytes, bytes + 4), "6789");
  EXPECT_FALSE(file.ReadAt(7, bytes, 4)) << "a range past the end";
  EXPECT_TRUE(file.ReadAt(10, bytes, 0));

  ASSERT_EQ(mkfifo((dir_ + "/pipe").c_str(), 0600), 0);
  EXPECT_FALSE(file.Open(dir_ + "/pipe")) << "a named pipe would wait for a writer";
  EXPECT_FALSE(file.Open(dir_));
  EXPECT_FALSE(file.Open(dir_ + "/missing"));
  EXPECT_FALSE(file.ReadAt(0, bytes, 1)) << "a failed open leaves nothing open";
}

}  // namespace
}  // namespace gvde
