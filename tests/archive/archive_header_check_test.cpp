#include "archive/archive_header_check.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "demogame/mpq_builder.h"
#include "testkit/mpq_damage.h"
#include "testkit/temp_dir.h"

namespace gvde {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testkit::Overwrite;
using testkit::U16Bytes;
using testkit::U32Bytes;

Bytes ReadBytes(const std::string& path) {
  const std::string text = testkit::ReadFileText(path);
  return Bytes(text.begin(), text.end());
}

Bytes Pattern(std::size_t size) {
  Bytes data(size);
  for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<std::uint8_t>((i * 7 + i / 13) & 0xFF);
  return data;
}

// A format-1 archive as the demo game's archives are made: header at 0, tables at the end.
class ArchiveHeaderCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string path = dir_.File("base.mpq");
    ASSERT_TRUE(demogame::BuildMpq(
        path, {{"levels\\l1data\\l1.pal", Pattern(768)}, {"data\\inv\\objcurs.cel", Pattern(20000)}}));
    archive_ = ReadBytes(path);
    ASSERT_GT(archive_.size(), 1024u);
  }

  // The check on `file` as an archive on disk, the way the run meets it.
  ArchiveHeaderVerdict Probe(const Bytes& file) {
    const std::string path = dir_.File("probe.mpq");
    EXPECT_TRUE(testkit::WriteFileText(path, std::string(file.begin(), file.end())));
    return ProbeArchiveFile(path);
  }

  testkit::TempDir dir_;
  Bytes archive_;
};

using enum ArchiveHeaderVerdict;

struct Damage {
  const char* what;
  std::function<void(Bytes&)> apply;
  ArchiveHeaderVerdict verdict;
};

TEST_F(ArchiveHeaderCheckTest, HeaderValuesTheLibraryCannotTakeAreRefused) {
  const auto fileSize = static_cast<std::uint32_t>(archive_.size());
  const std::uint32_t blockBytes = 16u * archive_[28];  // few entries: one byte holds the count
  const std::vector<Damage> damages = {
      {"as built", [](Bytes&) {}, Usable},
      {"format and sector shift 0xFFFF (the library divides by zero)",
       [](Bytes& f) {
         Overwrite(f, 12, {0xFF, 0xFF, 0xFF, 0xFF});
       },
       UnknownFormat},
      {"sector shift 0xFFFF", [](Bytes& f) { Overwrite(f, 14, U16Bytes(0xFFFF)); }, HugeSectors},
      {"sector shift 23: 512 << 23 is 0 in 32 bits", [](Bytes& f) { Overwrite(f, 14, U16Bytes(23)); },
       HugeSectors},
      {"sector shift 32", [](Bytes& f) { Overwrite(f, 14, U16Bytes(32)); }, HugeSectors},
      {"sector shift 22: sectors of 2 GiB", [](Bytes& f) { Overwrite(f, 14, U16Bytes(22)); }, Usable},
      {"format version 4", [](Bytes& f) { Overwrite(f, 12, U16Bytes(4)); }, UnknownFormat},
      {"format version 0xFFFF", [](Bytes& f) { Overwrite(f, 12, U16Bytes(0xFFFF)); }, UnknownFormat},
      {"header size 31: no header", [](Bytes& f) { Overwrite(f, 4, U32Bytes(31)); }, NoHeader},
      {"no signature", [](Bytes& f) { Overwrite(f, 3, {0x1C}); }, NoHeader},
      {"hash table of 0x0FFFFFFF entries", [](Bytes& f) { Overwrite(f, 24, U32Bytes(0x0FFFFFFF)); },
       TablesOutside},
      {"hash table of 0x10000000 entries (16 bytes each: 0 in 32 bits)",
       [](Bytes& f) { Overwrite(f, 24, U32Bytes(0x10000000)); }, TablesOutside},
      {"block table of 0xFFFFFFFF entries", [](Bytes& f) { Overwrite(f, 28, U32Bytes(0xFFFFFFFF)); },
       TablesOutside},
      {"hash table of 0 entries", [](Bytes& f) { Overwrite(f, 24, U32Bytes(0)); }, Usable},
      {"hash table past the end", [=](Bytes& f) { Overwrite(f, 16, U32Bytes(fileSize)); }, TablesOutside},
      {"block table ending at the last byte",
       [=](Bytes& f) { Overwrite(f, 20, U32Bytes(fileSize - blockBytes)); }, Usable},
      {"block table ending a byte late",
       [=](Bytes& f) { Overwrite(f, 20, U32Bytes(fileSize - blockBytes + 1)); }, TablesOutside},
      {"block table position 0x7FFFFFFF", [](Bytes& f) { Overwrite(f, 20, U32Bytes(0x7FFFFFFF)); },
       TablesOutside},
      {"cut in the header", [](Bytes& f) { f.resize(24); }, CutShort},
      {"cut after the signature", [](Bytes& f) { f.resize(4); }, NoHeader},
      {"empty", [](Bytes& f) { f.clear(); }, NoHeader},
  };
  for (const Damage& damage : damages) {
    SCOPED_TRACE(damage.what);
    Bytes file = archive_;
    damage.apply(file);
    EXPECT_EQ(Probe(file), damage.verdict);
  }
}

TEST_F(ArchiveHeaderCheckTest, HeaderIsSearchedAt512ByteStepsAndThroughUserData) {
  Bytes at512(512, 0xEE);
  at512.insert(at512.end(), archive_.begin(), archive_.end());
  EXPECT_EQ(Usable, Probe(at512));

  Bytes at256(256, 0xEE);
  at256.insert(at256.end(), archive_.begin(), archive_.end());
  EXPECT_EQ(NoHeader, Probe(at256));

  // 0x310 is no 512-byte step: only the user data leads there.
  const Bytes behindUserData = testkit::WithUserData(archive_, 0x310);
  EXPECT_EQ(Usable, Probe(behindUserData));

  Bytes badUserData = behindUserData;
  Overwrite(badUserData, 4, U32Bytes(0x311));  // user data larger than its header offset
  EXPECT_EQ(NoHeader, Probe(badUserData));

  Bytes damagedBehindUserData = behindUserData;
  Overwrite(damagedBehindUserData, 0x310 + 12, {0xFF, 0xFF, 0xFF, 0xFF});
  EXPECT_EQ(UnknownFormat, Probe(damagedBehindUserData));
}

TEST_F(ArchiveHeaderCheckTest, ArchivesOfEveryFormatVersionAreAccepted) {
  for (int format = 0; format <= 3; ++format) {
    SCOPED_TRACE(format);
    const std::string path = dir_.File("v" + std::to_string(format) + ".mpq");
    ASSERT_TRUE(testkit::BuildMpqOfFormat(path, format, "data\\file.bin", Pattern(5000)));
    const Bytes file = ReadBytes(path);
    ASSERT_GE(file.size(), 0xD0u);
    EXPECT_EQ(file[12], format);
    EXPECT_EQ(Usable, Probe(file));
    EXPECT_EQ(Usable, ProbeArchiveFile(path));

    Bytes crashing = file;
    Overwrite(crashing, 14, U16Bytes(0xFFFF));
    EXPECT_EQ(HugeSectors, Probe(crashing));
  }
}

TEST_F(ArchiveHeaderCheckTest, FileCheckReadsTheSameAsTheMemoryCheck) {
  const std::string good = dir_.File("good.mpq");
  const std::string bad = dir_.File("bad.mpq");
  ASSERT_TRUE(demogame::BuildMpq(good, {{"a", Pattern(10)}}));
  ASSERT_TRUE(demogame::BuildMpq(bad, {{"a", Pattern(10)}}));
  ASSERT_TRUE(testkit::PatchFile(bad, 12, {0xFF, 0xFF, 0xFF, 0xFF}));

  EXPECT_EQ(Usable, ProbeArchiveFile(good));
  EXPECT_EQ(UnknownFormat, ProbeArchiveFile(bad));
  EXPECT_EQ(Unreadable, ProbeArchiveFile(dir_.File("missing.mpq")));
  EXPECT_EQ(Unreadable, ProbeArchiveFile(dir_.path()));
}

// Writes `archive` at `offset` into a file of `size` bytes that is a hole everywhere else.
void WriteSparse(const std::string& path, std::uint64_t size, std::uint64_t offset, const Bytes& archive) {
  std::filesystem::resize_file(path, 0);
  std::filesystem::resize_file(path, size);
  std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
  file.seekp(static_cast<std::streamoff>(offset));
  file.write(reinterpret_cast<const char*>(archive.data()), static_cast<std::streamsize>(archive.size()));
  ASSERT_TRUE(file.good());
}

// The file is read in blocks of 1 MiB: a header at any step, across a block's end too, is
// found as in memory, and the holes of a sparse file are passed over, not read.
TEST_F(ArchiveHeaderCheckTest, LargeFilesAreSearchedInBlocksAndPastTheirHoles) {
  const std::string path = dir_.File("large.mpq");
  for (const std::uint64_t step : {2048u, 2047u, 2049u, 4095u}) {
    SCOPED_TRACE(step);
    Bytes file((step * 512) % (3u << 20), 0xEE);
    file.insert(file.end(), archive_.begin(), archive_.end());
    testkit::WriteFileText(path, std::string(file.begin(), file.end()));
    EXPECT_EQ(Usable, ProbeArchiveFile(path));
    EXPECT_EQ(Usable, Probe(file));
  }

  constexpr std::uint64_t k4GiB = 4ull << 30;
  const auto start = std::chrono::steady_clock::now();
  WriteSparse(path, k4GiB, 0, {});
  EXPECT_EQ(NoHeader, ProbeArchiveFile(path));
  // Reading 4 GiB of holes took 23 s in 16-byte reads and about a second in 1 MiB blocks.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));

  WriteSparse(path, k4GiB, (3ull << 30) + 512 * 3, archive_);
  EXPECT_EQ(Usable, ProbeArchiveFile(path));
  WriteSparse(path, k4GiB, (3ull << 30) + 256, archive_);
  EXPECT_EQ(NoHeader, ProbeArchiveFile(path));
}

}  // namespace
}  // namespace gvde
