// Crafted games that once took gigabytes: texts without an end and a sprite decompression bomb
// now take little, and a machine short of memory ends the run with "Not enough memory".
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "demogame/sprite_encoders.h"
#include "measured_run.h"
#include "platform/byte_writer.h"
#include "testkit/mini_game.h"

namespace gvde::testkit {
namespace {

constexpr std::uint64_t kPeakBoundKiB = 200 * 1024;

// A GV.exe of `size` bytes of text without a zero byte, every word of which is the address of
// that text, and every table, the spell table and the title in it: each text the run reads
// ends only at the text cap or the end of the file. The item table holds the last four records
// only (each item page lists every unique, all of one ID); without archives the run ends after
// the item and unique pages.
class EndlessText {
 public:
  explicit EndlessText(std::uint32_t size) {
    game_.pe.imageBase = 0x11000000;  // addresses without a zero byte
    const std::uint32_t start = game_.pe.NextVA();
    const std::uint32_t word = 0x11011111;
    EXPECT_TRUE(word >= start && word - start < size);
    std::vector<std::uint8_t> text(size);
    for (std::size_t at = 0; at + 4 <= text.size(); at += 4) ByteWriter(text).U32(at, word);
    game_.pe.AddData(text);
    const std::uint32_t lastItems = start + size - 4 * 76;
    game_.configuration.addresses = {lastItems, start, start, start, word, start, word};
    game_.WriteForCli(config_.path());
    std::remove((game_.GameDir() + "/gvdata.mor").c_str());
  }

  MeasuredRun Run(std::uint64_t addressLimitKiB = 0) {
    return RunMeasured(config_.path(), GVDE_CLI_PATH, {"--keep-going", game_.GameDir(), OutputDir()},
                       addressLimitKiB);
  }
  std::string OutputDir() const { return config_.File("site"); }

 private:
  MiniGame game_;
  TempDir config_;
};

std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

TEST(MemoryBounds, TextsWithoutAnEndStopAt256Bytes) {
  EndlessText exe(256 * 1024);
  const MeasuredRun run = exe.Run();
  EXPECT_EQ(run.signal, 0) << run.err;
  const std::string page = ReadFileText(exe.OutputDir() + "/data/i0.htm");
  const std::size_t nameAt = page.find("<h3>0: ");
  ASSERT_NE(nameAt, std::string::npos) << run.err;
  EXPECT_EQ(page.find(", <a href=\"il", nameAt), nameAt + 7 + 256);
  if (!kSanitizedBuild) {
    EXPECT_LT(run.peakKiB, kPeakBoundKiB);
  }
}

TEST(MemoryBounds, ASpriteBombFailsItsPicturesCheaply) {
  // 8 MiB of runs of 127 transparent pixels: 128 x 8,323,072 pixels, a tiny archive.
  const std::vector<std::uint8_t> runs(std::size_t{8} << 20, 0x7F);
  MiniGame game(MiniArchiveFiles{demogame::BuildMonsterFileFromRuns({{{runs, 10}}}), std::nullopt, std::nullopt});
  game.AddTables(game.Ordinary());
  const TempDir config;
  game.WriteForCli(config.path());
  const MeasuredRun run =
      RunMeasured(config.path(), GVDE_CLI_PATH, {"--keep-going", "--jobs", "2", game.GameDir(), config.File("site")});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(FirstLine(run.err), "Error: Cannot write an image for monster #0. Exit? no");
  EXPECT_TRUE(FileExists(config.File("site/data/i0.png")));
  if (!kSanitizedBuild) {
    EXPECT_LT(run.peakKiB, kPeakBoundKiB);
  }
}

// Enough texts of 256 bytes to need far more memory than the limit allows: the run ends with
// the message, never by a signal, wherever the memory ran out.
TEST(MemoryBounds, RunningOutOfMemoryEndsTheRunWithItsMessage) {
  if (kSanitizedBuild) GTEST_SKIP() << "an address limit cannot be applied to a sanitizer build";
  EndlessText exe(9 << 20);
  for (const std::uint64_t limitMiB : {96, 128}) {
    const MeasuredRun run = exe.Run(limitMiB * 1024);
    EXPECT_EQ(run.signal, 0) << limitMiB << ": " << run.err;
    EXPECT_EQ(run.exitCode, 1) << limitMiB;
    EXPECT_EQ(run.err, "Error: Not enough memory\n") << limitMiB;
  }
}

}  // namespace
}  // namespace gvde::testkit
