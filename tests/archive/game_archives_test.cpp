#include "archive/game_archives.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "archive/archive_calls.h"
#include "demogame/mpq_builder.h"
#include "testkit/mpq_damage.h"

namespace gvde {
namespace {

using demogame::BuildMpq;
using demogame::MpqFile;
using Storage = MpqFile::Storage;
using Bytes = std::vector<std::uint8_t>;

const std::string kPalette = "levels\\l1data\\l1.pal";

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Varied bytes, several sectors long, so compression has work to do.
Bytes Pattern(std::size_t size, std::uint8_t seed) {
  Bytes data(size);
  for (std::size_t i = 0; i < size; ++i) {
    data[i] = static_cast<std::uint8_t>((i * 31 + i / 7 + seed) & 0xFF);
  }
  return data;
}

class GameArchivesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/gvde_archive_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    gameDir_ = dir_ + "/";
  }
  void TearDown() override {
    archives_.CloseArchives();
    std::filesystem::remove_all(dir_);
  }

  void BuildGame(const std::vector<MpqFile>& gameFiles, const std::vector<MpqFile>& baseFiles) {
    ASSERT_TRUE(BuildMpq(gameDir_ + "gvdata.mor", gameFiles));
    ASSERT_TRUE(BuildMpq(gameDir_ + "kelddat.mpq", baseFiles));
  }

  std::string dir_;
  std::string gameDir_;
  GameArchives archives_;
};

TEST_F(GameArchivesTest, FileInBothArchivesIsReadFromGameArchive) {
  BuildGame({{"data\\shared.txt", Text("from gvdata"), Storage::Compressed}},
            {{"data\\shared.txt", Text("from kelddat!"), Storage::Compressed},
             {"data\\inv\\invobj1.cel", Text("base only"), Storage::Plain}});
  ASSERT_TRUE(archives_.OpenArchives(gameDir_));

  Bytes buffer;
  EXPECT_EQ(archives_.ExtractFile(buffer, "data\\shared.txt"), 11);
  EXPECT_EQ(buffer, Text("from gvdata"));
  EXPECT_EQ(archives_.ExtractFile(buffer, "data\\inv\\invobj1.cel"), 9);
  EXPECT_EQ(buffer, Text("base only"));

  Bytes exact(11, 0);
  EXPECT_TRUE(archives_.ReadFileExact(exact.data(), 11, "data\\shared.txt"));
  EXPECT_EQ(exact, Text("from gvdata"));
}

TEST_F(GameArchivesTest, EveryStorageKindReadsBackExactly) {
  const std::vector<Storage> kinds = {Storage::Plain,       Storage::Compressed,
                                      Storage::CompressedEncrypted, Storage::EncryptedFixedKey,
                                      Storage::Imploded,    Storage::Bzip2,
                                      Storage::SingleUnit};
  std::vector<MpqFile> gameFiles;
  std::vector<MpqFile> baseFiles;
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    const auto seed = static_cast<std::uint8_t>(i);
    gameFiles.push_back({"game\\f" + std::to_string(i), Pattern(10000 + i, seed), kinds[i]});
    baseFiles.push_back({"base\\f" + std::to_string(i), Pattern(5000 + i, seed), kinds[i]});
  }
  BuildGame(gameFiles, baseFiles);
  ASSERT_TRUE(archives_.OpenArchives(gameDir_));

  for (const auto* files : {&gameFiles, &baseFiles}) {
    for (const MpqFile& file : *files) {
      SCOPED_TRACE(file.name);
      Bytes buffer = {1, 2, 3};
      EXPECT_EQ(archives_.ExtractFile(buffer, file.name), static_cast<std::int32_t>(file.data.size()));
      EXPECT_EQ(buffer, file.data);

      Bytes exact(file.data.size(), 0);
      EXPECT_TRUE(archives_.ReadFileExact(exact.data(), static_cast<std::uint32_t>(exact.size()), file.name));
      EXPECT_EQ(exact, file.data);
    }
  }
}

TEST_F(GameArchivesTest, MissingFileReturnsZeroAndLeavesBufferAlone) {
  BuildGame({{"a", Text("a"), Storage::Plain}}, {{"b", Text("b"), Storage::Plain}});
  ASSERT_TRUE(archives_.OpenArchives(gameDir_));

  Bytes buffer = {7, 8, 9};
  EXPECT_EQ(archives_.ExtractFile(buffer, "data\\inv\\invobj1.cel"), 0);
  EXPECT_EQ(buffer, (Bytes{7, 8, 9}));

  Bytes destination(768, 0xAA);
  EXPECT_FALSE(archives_.ReadFileExact(destination.data(), 768, kPalette));
  EXPECT_EQ(destination, Bytes(768, 0xAA));
}

TEST_F(GameArchivesTest, ZeroLengthFileExtractsAsZero) {
  BuildGame({{"empty.bin", {}, Storage::Compressed}}, {{"empty2.bin", {}, Storage::Plain}});
  ASSERT_TRUE(archives_.OpenArchives(gameDir_));

  Bytes buffer = {5};
  EXPECT_EQ(archives_.ExtractFile(buffer, "empty.bin"), 0);
  EXPECT_EQ(archives_.ExtractFile(buffer, "empty2.bin"), 0);
}

// The game's files are far smaller; a larger one is refused before memory is set aside for it.
TEST_F(GameArchivesTest, FilesAbove64MiBAreTooLarge) {
  BuildGame({{"big", Bytes(kLargestArchiveFile + 1, 0), Storage::Compressed}}, {});
  ASSERT_TRUE(archives_.OpenArchives(gameDir_));
  Bytes buffer = {1, 2};
  EXPECT_EQ(archives_.ExtractFile(buffer, "big"), -1);
  EXPECT_EQ(buffer, (Bytes{1, 2}));
}

TEST_F(GameArchivesTest, PaletteMustBeExactly768Bytes) {
  const Bytes palette = Pattern(768, 3);
  BuildGame({{kPalette, palette, Storage::CompressedEncrypted}}, {});
  ASSERT_TRUE(archives_.OpenArchives(gameDir_));

  Bytes destination(770, 0xAA);
  EXPECT_FALSE(archives_.ReadFileExact(destination.data(), 767, kPalette));
  EXPECT_FALSE(archives_.ReadFileExact(destination.data(), 769, kPalette));
  EXPECT_EQ(destination, Bytes(770, 0xAA));

  EXPECT_TRUE(archives_.ReadFileExact(destination.data(), 768, kPalette));
  EXPECT_EQ(Bytes(destination.begin(), destination.begin() + 768), palette);
  EXPECT_EQ(destination[768], 0xAA);
  EXPECT_EQ(destination[769], 0xAA);
}

TEST_F(GameArchivesTest, PaletteFilesOfWrongLengthAreRefusedUnread) {
  for (const std::size_t length : {767u, 769u}) {
    SCOPED_TRACE(length);
    archives_.CloseArchives();
    BuildGame({}, {{kPalette, Pattern(length, 1), Storage::Compressed}});
    ASSERT_TRUE(archives_.OpenArchives(gameDir_));

    Bytes destination(768, 0xAA);
    EXPECT_FALSE(archives_.ReadFileExact(destination.data(), 768, kPalette));
    EXPECT_EQ(destination, Bytes(768, 0xAA));
  }
}

TEST_F(GameArchivesTest, FailedReadEmptiesBufferAndReturnsZero) {
  BuildGame({{"broken.cel", Pattern(10000, 9), Storage::Compressed}}, {});
  {
    // A format-1 archive places its first file right after the 32-byte header; spoiling the
    // start of its sector table makes every read of it fail.
    std::fstream file(gameDir_ + "gvdata.mor", std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(32);
    const std::string garbage(16, 'Z');
    file.write(garbage.data(), static_cast<std::streamsize>(garbage.size()));
  }
  ASSERT_TRUE(archives_.OpenArchives(gameDir_));

  Bytes buffer = {1, 2, 3};
  EXPECT_EQ(archives_.ExtractFile(buffer, "broken.cel"), 0);
  EXPECT_TRUE(buffer.empty());

  Bytes destination(10000, 0);
  EXPECT_FALSE(archives_.ReadFileExact(destination.data(), 10000, "broken.cel"));
}

TEST_F(GameArchivesTest, OnlyBaseArchivePresentFailsWithoutOpeningIt) {
  ASSERT_TRUE(BuildMpq(gameDir_ + "kelddat.mpq", {{"b", Text("b"), Storage::Plain}}));
  EXPECT_FALSE(archives_.OpenArchives(gameDir_));

  // The base archive was never opened, so its file cannot be found.
  Bytes buffer = {4};
  EXPECT_EQ(archives_.ExtractFile(buffer, "b"), 0);
  EXPECT_EQ(buffer, (Bytes{4}));
}

TEST_F(GameArchivesTest, OnlyGameArchivePresentFailsAndLeavesNothingOpen) {
  ASSERT_TRUE(BuildMpq(gameDir_ + "gvdata.mor", {{"g", Text("game"), Storage::Plain}}));
  EXPECT_FALSE(archives_.OpenArchives(gameDir_));
  EXPECT_EQ(archives_.OpenFailureDetail(), gameDir_ + "kelddat.mpq: No such file or directory");
  Bytes buffer = {6};
  EXPECT_EQ(archives_.ExtractFile(buffer, "g"), 0);
  EXPECT_EQ(buffer, (Bytes{6}));
  archives_.CloseArchives();
  EXPECT_EQ(archives_.ExtractFile(buffer, "g"), 0);
}

// With descriptor 0 free, files opened on the way land on it; a failed open must not close it
// under a later one.
TEST_F(GameArchivesTest, OpensWithDescriptorZeroFree) {
  ASSERT_TRUE(BuildMpq(gameDir_ + "gvdata.mor", {{"g", Text("game"), Storage::Compressed}}));
  const int savedInput = dup(0);
  ASSERT_GE(savedInput, 0);
  close(0);
  const bool openedWithoutBase = archives_.OpenArchives(gameDir_);
  const bool built = BuildMpq(gameDir_ + "kelddat.mpq", {{"b", Text("b"), Storage::Plain}});
  const bool opened = archives_.OpenArchives(gameDir_);
  Bytes buffer;
  const std::int32_t size = archives_.ExtractFile(buffer, "g");
  archives_.CloseArchives();
  dup2(savedInput, 0);
  close(savedInput);

  EXPECT_FALSE(openedWithoutBase);
  EXPECT_TRUE(built);
  EXPECT_TRUE(opened);
  EXPECT_EQ(size, 4);
  EXPECT_EQ(buffer, Text("game"));
}

TEST_F(GameArchivesTest, ClosingIsHarmlessBeforeOpeningAndTwice) {
  GameArchives fresh;
  fresh.CloseArchives();
  fresh.CloseArchives();

  BuildGame({{"g", Text("g"), Storage::Plain}}, {{"b", Text("b"), Storage::Plain}});
  ASSERT_TRUE(fresh.OpenArchives(gameDir_));
  fresh.CloseArchives();
  fresh.CloseArchives();

  // Reopening after a close works like the first time.
  ASSERT_TRUE(fresh.OpenArchives(gameDir_));
  Bytes buffer;
  EXPECT_EQ(fresh.ExtractFile(buffer, "b"), 1);
  EXPECT_EQ(buffer, Text("b"));
}

TEST_F(GameArchivesTest, DirectoryTextIsUsedWithoutSeparator) {
  ASSERT_TRUE(BuildMpq(dir_ + "/gamegvdata.mor", {{"g", Text("joined"), Storage::Plain}}));
  ASSERT_TRUE(BuildMpq(dir_ + "/gamekelddat.mpq", {}));

  EXPECT_FALSE(archives_.OpenArchives(dir_ + "/game/"));
  EXPECT_TRUE(archives_.OpenArchives(dir_ + "/game"));
  Bytes buffer;
  EXPECT_EQ(archives_.ExtractFile(buffer, "g"), 6);
  EXPECT_EQ(buffer, Text("joined"));
}

// Format version and sector-size shift 0xFFFF make the library divide by a zero sector size
// while opening; such an archive must fail to open, and this process must live on.
TEST_F(GameArchivesTest, HeaderThatCrashesTheLibraryFailsTheOpen) {
  const std::vector<std::uint8_t> crash = {0xFF, 0xFF, 0xFF, 0xFF};
  BuildGame({{"g", Text("game"), Storage::Plain}}, {{"b", Text("base"), Storage::Plain}});
  ASSERT_TRUE(testkit::PatchFile(gameDir_ + "gvdata.mor", 12, crash));
  EXPECT_FALSE(archives_.OpenArchives(gameDir_));
  Bytes buffer = {1};
  EXPECT_EQ(archives_.ExtractFile(buffer, "b"), 0);
  EXPECT_EQ(buffer, (Bytes{1}));

  EXPECT_EQ(archives_.OpenFailureDetail(), gameDir_ + "gvdata.mor: damaged archive (unknown format version)");

  // Damage in the second archive: nothing stays open.
  BuildGame({{"g", Text("game"), Storage::Plain}}, {{"b", Text("base"), Storage::Plain}});
  ASSERT_TRUE(testkit::PatchFile(gameDir_ + "kelddat.mpq", 12, crash));
  EXPECT_FALSE(archives_.OpenArchives(gameDir_));
  EXPECT_EQ(archives_.OpenFailureDetail(), gameDir_ + "kelddat.mpq: damaged archive (unknown format version)");
  EXPECT_EQ(archives_.ExtractFile(buffer, "g"), 0);
  EXPECT_EQ(archives_.ExtractFile(buffer, "b"), 0);

  // Repaired, the same archives open again.
  ASSERT_TRUE(testkit::PatchFile(gameDir_ + "kelddat.mpq", 12, {0, 0, 3, 0}));
  ASSERT_TRUE(archives_.OpenArchives(gameDir_));
  EXPECT_EQ(archives_.ExtractFile(buffer, "b"), 4);
  EXPECT_EQ(buffer, Text("base"));
}

TEST_F(GameArchivesTest, BuilderOutputIsDeterministic) {
  const std::vector<MpqFile> files = {{kPalette, Pattern(768, 2), Storage::CompressedEncrypted},
                                      {"data\\inv\\invobj1.cel", Pattern(9000, 4), Storage::Imploded}};
  ASSERT_TRUE(BuildMpq(gameDir_ + "one.mpq", files));
  ASSERT_TRUE(BuildMpq(gameDir_ + "two.mpq", files));
  std::ifstream one(gameDir_ + "one.mpq", std::ios::binary);
  std::ifstream two(gameDir_ + "two.mpq", std::ios::binary);
  const std::string oneBytes((std::istreambuf_iterator<char>(one)), std::istreambuf_iterator<char>());
  const std::string twoBytes((std::istreambuf_iterator<char>(two)), std::istreambuf_iterator<char>());
  EXPECT_FALSE(oneBytes.empty());
  EXPECT_EQ(oneBytes, twoBytes);
}

}  // namespace
}  // namespace gvde
