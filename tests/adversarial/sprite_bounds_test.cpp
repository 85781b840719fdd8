// Sprite files whose offsets point outside them, offsets whose sums would wrap in 32 bits,
// and picture sizes whose width x height does not fit 32 bits: the decoders and the PNG
// writer refuse them without reading or writing outside a buffer, alone and in whole runs.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "demogame/sprite_encoders.h"
#include "image/cel_frames_internal.h"
#include "image/item_images.h"
#include "image/png_writer.h"
#include "image/sprites.h"
#include "testkit/mini_game.h"
#include "testkit/pictures.h"

namespace gvde::adversarial {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testkit::EndedDone;
using testkit::EndedWithError;
using testkit::HostCall;
using testkit::MiniArchiveFiles;
using testkit::MiniGame;
using testkit::RunRecord;
using testkit::SiteIsComplete;

// Files by name; ExtractFile may claim a size other than that of the bytes it hands over.
class MemoryFiles final : public FileSource {
 public:
  std::map<std::string, Bytes> files;
  std::map<std::string, std::int32_t> claimedSizes;

  std::int32_t ExtractFile(Bytes& buffer, const std::string& name) override {
    const auto it = files.find(name);
    if (it == files.end() || it->second.empty()) return 0;
    buffer = it->second;
    const auto claimed = claimedSizes.find(name);
    return claimed != claimedSizes.end() ? claimed->second : static_cast<std::int32_t>(buffer.size());
  }
  bool ReadFileExact(std::uint8_t* destination, std::uint32_t size, const std::string& name) override {
    const auto it = files.find(name);
    if (it == files.end() || it->second.size() != size) return false;
    std::memcpy(destination, it->second.data(), size);
    return true;
  }
};

constexpr char kPattern[] = "monsters\\mini\\mini%c.anm";
constexpr char kSpriteFile[] = "monsters\\mini\\minia.anm";

// A valid monster file of 31 bytes: group offset 4 at 0; at 4 the frame count and the frame
// starts 12 and 27 (relative to the group); the frame at 16: header length 10, then a literal
// run of 4 pixels, one row of the small game's sprite width.
Bytes OneFrameFile() { return demogame::BuildMonsterFileFromRuns({{{{0xFC, 1, 2, 3, 4}, 10}}}); }

struct Patch {
  const char* what;
  std::size_t at;
  std::uint32_t value;
  int width = 4;  // 2 for a 16-bit field
};

const Patch kMonsterFilePatches[] = {
    {"group offset at the file's end", 0, 31},
    {"group table cut off", 0, 20},
    {"group offset whose table wraps to 0", 0, 0xFFFFFFF4},
    {"group offset huge", 0, 0xFFFFFFFC},
    {"frame start leaving no room for the header length", 8, 27},
    {"frame start that wraps to the file's start", 8, 0xFFFFFFFC},
    {"frame end beyond the file", 12, 28},
    {"frame end before its start", 12, 11},
    {"frame end huge", 12, 0xFFFFFFFF},
    {"empty frame", 12, 12},
    {"header longer than the frame", 16, 0xFFFF, 2},
    {"header ending at the frame's end", 16, 15, 2},
};

Bytes Patched(Bytes file, const Patch& patch) {
  if (patch.width == 2) {
    demogame::PutU16(file, patch.at, static_cast<std::uint16_t>(patch.value));
  } else {
    demogame::PutU32(file, patch.at, patch.value);
  }
  return file;
}

class MonsterFileBounds : public ::testing::Test {
 protected:
  bool Write(const Bytes& file, std::uint32_t width = MiniGame::kSpriteWidth) {
    files_.files[kSpriteFile] = file;
    const EncodedPicture picture = testkit::MonsterPicture(files_, png_, kPattern, std::nullopt, std::nullopt, width);
    EXPECT_NE(picture.outcome, EncodedPicture::Outcome::NotEncoded);
    return picture.outcome == EncodedPicture::Outcome::Encoded;
  }

  PngWriter png_;
  MemoryFiles files_;
};

TEST_F(MonsterFileBounds, OffsetsOutsideTheFileFail) {
  ASSERT_TRUE(Write(OneFrameFile()));
  for (const Patch& patch : kMonsterFilePatches)
    EXPECT_FALSE(Write(Patched(OneFrameFile(), patch))) << patch.what;
  const Bytes whole = OneFrameFile();
  ASSERT_EQ(whole.size(), 31u);
  for (std::size_t length = 0; length < whole.size(); ++length)
    EXPECT_FALSE(Write(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length)))) << length;
}

TEST_F(MonsterFileBounds, OnlyTheSizeBothSidesAgreeOnIsRead) {
  files_.claimedSizes[kSpriteFile] = 1 << 30;  // more than the buffer holds
  EXPECT_TRUE(Write(OneFrameFile()));
  files_.claimedSizes[kSpriteFile] = 30;  // the frame's last byte left out
  EXPECT_FALSE(Write(OneFrameFile()));
  files_.claimedSizes[kSpriteFile] = -1;
  EXPECT_FALSE(Write(OneFrameFile()));
}

TEST_F(MonsterFileBounds, FrameWidthsThatDoNotLayOutThePixels) {
  for (std::uint32_t width : {0u, 3u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu})
    EXPECT_FALSE(Write(OneFrameFile(), width)) << width;
  for (std::uint32_t width : {1u, 2u, 4u}) EXPECT_TRUE(Write(OneFrameFile(), width)) << width;
}

TEST(MonsterFileInARun, DamagedSpriteFileGivesOneQuestionPerPictureAndCompletes) {
  {
    MiniGame game(MiniArchiveFiles{OneFrameFile(), std::nullopt, std::nullopt});
    game.AddTables(game.Ordinary());
    const std::vector<HostCall> onlyDone = {{HostCall::kShowDone, ""}};
    ASSERT_EQ(game.Run().calls, onlyDone);
    ASSERT_TRUE(game.Has("m0.png"));
  }
  for (const Patch& patch : kMonsterFilePatches) {
    SCOPED_TRACE(patch.what);
    MiniArchiveFiles files;
    files.sprite = Patched(OneFrameFile(), patch);
    MiniGame game(files);
    game.AddTables(game.Ordinary());
    const RunRecord run = game.Run();
    ASSERT_TRUE(EndedDone(run));
    EXPECT_TRUE(SiteIsComplete(game.OutputDir()));
    const std::vector<HostCall> questions = {
        {HostCall::kAskExit, "Cannot write an image for monster #0. Exit?"},
        {HostCall::kAskExit, "Cannot write an image for monster #1. Exit?"},
        {HostCall::kAskExit, "Cannot write an image for boss #0. Exit?"},
        {HostCall::kAskExit, "Cannot write an image for boss #1. Exit?"},
    };
    EXPECT_EQ(std::vector<HostCall>(run.calls.begin(), run.calls.end() - 1), questions);
    EXPECT_FALSE(game.Has("m0.png"));
  }
}

// Two frames of 1 x 1 and 2 x 1 pixels: N at 0, starts at 4, 8 and 12, frames at 16 and 28,
// the file 41 bytes long.
Bytes TwoFrameCel() { return demogame::BuildCelFileFromRuns({{1, 9}, {2, 7, 8}}); }

bool Decodes(const Bytes& file, std::uint32_t frame) {
  Bytes pixels;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  const bool ok = DecodeCelFrame(pixels, file, frame, width, height);
  if (ok) {
    EXPECT_EQ(pixels.size(), std::size_t{width} * height);
  }
  return ok;
}

TEST(CelFileBounds, TableEntriesOutsideTheFileOrWrappingIn32BitsFail) {
  ASSERT_TRUE(Decodes(TwoFrameCel(), 0));
  ASSERT_TRUE(Decodes(TwoFrameCel(), 1));
  // Entry 4 + 4 x 0x40000000 lies past 32 bits; wrapped, it would be frame 0's entry.
  for (std::uint32_t frame : {2u, 0x3FFFFFFFu, 0x40000000u, 0x40000001u, 0xFFFFFFFFu})
    EXPECT_FALSE(Decodes(TwoFrameCel(), frame)) << frame;
  const Patch patches[] = {
      {"start whose header end wraps to 0", 4, 0xFFFFFFF6},
      {"start past the end", 4, 0xFFFFFFFF},
      {"end before the header's end", 8, 25},
      {"end beyond the file", 8, 0xFFFFFFFF},
  };
  for (const Patch& patch : patches) EXPECT_FALSE(Decodes(Patched(TwoFrameCel(), patch), 0)) << patch.what;
  const Bytes whole = TwoFrameCel();
  ASSERT_EQ(whole.size(), 41u);
  for (std::size_t length = 0; length < whole.size(); ++length)
    EXPECT_FALSE(Decodes(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length)), 1))
        << length;
}

TEST(CelFileBounds, AHugeFrameCountStopsAtTheEndOfTheTable) {
  Bytes file = TwoFrameCel();
  demogame::PutU32(file, 0, 0xFFFFFFFF);
  const ItemFrames frames = ItemFramesOf(file, 0);
  EXPECT_EQ(frames.count, 0xFFFFFFFFu);
  EXPECT_EQ(frames.first, 0u);
  EXPECT_LE(frames.end, file.size() / 4);  // no frame's entries lie further on
  const PngWriter png;
  for (std::uint32_t frame = 0; frame < frames.end; ++frame) {
    EXPECT_EQ(EncodeItemFrame(png, file, frame).outcome,
              frame < 2 ? EncodedPicture::Outcome::Encoded : EncodedPicture::Outcome::NotDecoded)
        << frame;
  }
}

TEST(CelFileInARun, DamagedItemGraphics) {
  Bytes hugeCount = demogame::BuildCelFile(std::vector<demogame::SpritePicture>(13, {1, 1, {3}}));
  demogame::PutU32(hugeCount, 0, 0xFFFFFFFF);
  Bytes startsOutside = demogame::BuildCelFile(std::vector<demogame::SpritePicture>(13, {1, 1, {3}}));
  for (std::size_t entry = 4; entry < 4 + 4 * 14; entry += 4)
    demogame::PutU32(startsOutside, entry, 0x7FFFFFF0);
  struct Case {
    const char* what;
    MiniArchiveFiles files;
    const char* error;  // nullptr: the run completes
  };
  const Case cases[] = {
      {"frame count 0xFFFFFFFF", {std::nullopt, hugeCount, std::nullopt}, nullptr},
      {"every frame outside the file", {std::nullopt, startsOutside, std::nullopt}, nullptr},
      {"too short for a frame count",
       {std::nullopt, Bytes{13, 0, 0}, std::nullopt},
       "Cannot write images for items"},
      {"no frames", {std::nullopt, std::nullopt, Bytes{0, 0, 0, 0}}, "Cannot write images for items"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MiniGame game(c.files);
    game.AddTables(game.Ordinary());
    const RunRecord run = game.Run();
    if (c.error != nullptr) {
      EXPECT_TRUE(EndedWithError(run, c.error));
    } else {
      EXPECT_TRUE(EndedDone(run));
      EXPECT_TRUE(SiteIsComplete(game.OutputDir()));
    }
  }
}

TEST(PictureSizes, WidthTimesHeightBeyond32BitsIsRefused) {
  const PngWriter png;
  const Bytes small(16, 1);
  Bytes file;
  const std::uint32_t sizes[][2] = {
      {0x10000, 0x10000}, {0x10000, 0x10001}, {0xFFFFFFFF, 0xFFFFFFFF},
      {0xFFFFFFFF, 1},    {1, 0xFFFFFFFF},    {0x80000000, 2},
  };
  for (const auto& size : sizes) {
    EXPECT_FALSE(png.EncodePng(size[0], size[1], small, file)) << size[0] << " x " << size[1];
    // No run covers more than 128 pixels, so four bytes of runs cannot fill such a buffer.
    Bytes pixels;
    EXPECT_FALSE(UnpackCelFrame(pixels, Bytes{0xFE, 2, 7, 8}, size[0], size[1]))
        << size[0] << " x " << size[1];
    EXPECT_LT(pixels.size(), std::size_t{1} << 20);
  }
  EXPECT_TRUE(png.EncodePng(4, 4, small, file));
}

TEST(PictureSizes, ItemFramesBeyondThePixelCapAreRefusedBeforeTheirBuffer) {
  // Full transparent runs of 128 pixels: exactly the cap, then one run beyond it.
  Bytes runs(kMaxFramePixels / 128, 0x80);
  Bytes pixels;
  EXPECT_TRUE(UnpackCelFrame(pixels, runs, 4096, 4096));
  EXPECT_EQ(pixels.size(), kMaxFramePixels);
  runs.push_back(0x80);
  pixels.clear();
  EXPECT_FALSE(UnpackCelFrame(pixels, runs, 1, kMaxFramePixels + 1));  // the runs would cover it
  EXPECT_TRUE(pixels.empty());
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  EXPECT_FALSE(MeasureCelFrame(runs, width, height));
}

TEST(PictureSizes, RunsOfMoreThan32BitsOfPixelsAreNotMeasured) {
  // 2^25 full transparent runs of 128 pixels: 2^32 pixels, one more than 32 bits count.
  const Bytes runs(std::size_t{1} << 25, 0x80);
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  EXPECT_FALSE(MeasureCelFrame(runs, width, height));
}

}  // namespace
}  // namespace gvde::adversarial
