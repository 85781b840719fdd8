#include "export/source_files.h"

#include <gtest/gtest.h>
#include <openssl/sha.h>

#include <array>
#include <string>

#include "platform/file_error.h"
#include "testkit/temp_dir.h"

namespace gvde {
namespace {

TEST(SourceFilesTest, SizeAndDigestAsSha256sumPrintsThem) {
  testkit::TempDir dir;
  ASSERT_TRUE(testkit::WriteFileText(dir.File("abc"), "abc"));
  const std::optional<SourceFile> abc = DescribeSourceFile("abc.ini", dir.File("abc"));
  ASSERT_TRUE(abc);
  EXPECT_EQ(abc->name, "abc.ini");
  EXPECT_EQ(abc->size, 3u);
  EXPECT_EQ(abc->sha256, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");

  ASSERT_TRUE(testkit::WriteFileText(dir.File("empty"), ""));
  EXPECT_EQ(DescribeSourceFile("e", dir.File("empty"))->sha256,
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
}

// A file of several read pieces gives the digest of its whole content.
TEST(SourceFilesTest, LargeFileIsReadInPieces) {
  testkit::TempDir dir;
  std::string content;
  for (std::size_t i = 0; content.size() < 2'600'000; ++i) content += std::to_string(i * 7919) + ",";
  ASSERT_TRUE(testkit::WriteFileText(dir.File("big"), content));
  std::array<unsigned char, SHA256_DIGEST_LENGTH> digest{};
  SHA256(reinterpret_cast<const unsigned char*>(content.data()), content.size(), digest.data());
  std::string expected;
  for (const unsigned char byte : digest) {
    static constexpr char kDigits[] = "0123456789abcdef";
    expected += kDigits[byte >> 4];
    expected += kDigits[byte & 15];
  }
  const std::optional<SourceFile> big = DescribeSourceFile("big", dir.File("big"));
  ASSERT_TRUE(big);
  EXPECT_EQ(big->size, content.size());
  EXPECT_EQ(big->sha256, expected);
}

TEST(SourceFilesTest, RunSourcesNameTheFileThatCannotBeRead) {
  testkit::TempDir dir;
  const std::string game = dir.MakeSubdir("game") + "/";
  for (const char* name : {"GV.exe", "gvdata.mor", "kelddat.mpq"}) {
    ASSERT_TRUE(testkit::WriteFileText(game + name, name));
  }
  const std::string config = dir.WithSeparator();
  for (const char* name : {"Effect.ini", "AITypes.ini"}) ASSERT_TRUE(testkit::WriteFileText(config + name, name));
  const TableAddresses addresses{1, 2, 3, 4, 5, 6, 7};

  const OriginResult missing = DescribeRunSources("1.0", game, config, addresses);
  EXPECT_FALSE(missing.origin);
  EXPECT_EQ(missing.failedPath, config + "Address.ini");
  EXPECT_EQ(DescribeFileError(missing.failedPath), config + "Address.ini: No such file or directory");

  ASSERT_TRUE(testkit::WriteFileText(config + "Address.ini", "Title=1"));
  const OriginResult whole = DescribeRunSources("1.0", game, config, addresses);
  ASSERT_TRUE(whole.origin);
  ASSERT_EQ(whole.origin->files.size(), 6u);
  EXPECT_EQ(whole.origin->files[1].name, "gvdata.mor");
  EXPECT_EQ(whole.origin->files[1].size, 10u);
  EXPECT_EQ(whole.origin->files[5].name, "Address.ini");
  EXPECT_EQ(whole.origin->addresses.title, 7u);
  EXPECT_EQ(whole.origin->programVersion, "1.0");
}

}  // namespace
}  // namespace gvde
