#include "platform/file_system.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

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

TEST_F(FileSystemTest, WritesPastTheOutputLimitSurfaceAtClose) {
  OutputFile out;
  {
    OutputLimit limit(10);
    ASSERT_TRUE(out.Create(dir_ + "/a.txt"));
    out.Write(std::string_view("123456"));
    out.Write(std::string_view("7890"));
    EXPECT_TRUE(out.Close());
    EXPECT_FALSE(limit.Reached());
    ASSERT_TRUE(out.Create(dir_ + "/b.txt"));
    out.Write(std::string_view("x"));
    EXPECT_FALSE(out.Close());
    EXPECT_TRUE(limit.Reached());
  }
  // Without a limit in force, writes go through again.
  ASSERT_TRUE(out.Create(dir_ + "/c.txt"));
  out.Write(std::string(1 << 16, 'x'));
  EXPECT_TRUE(out.Close());
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
