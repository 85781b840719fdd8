#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "demogame/pe_builder.h"
#include "demogame/sprite_encoders.h"
#include "image/cel_frames_internal.h"
#include "image/sprites.h"

namespace gvde {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

Bytes Colours(std::size_t count, std::uint8_t first) {
  Bytes bytes(count);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(first + i);
  return bytes;
}

// Rows of the 28-wide example: transparent 5, literal 18, transparent 5.
Bytes Example28Runs(std::size_t rows) {
  Bytes runs;
  for (std::size_t y = 0; y < rows; ++y) {
    runs = Concat(runs, Concat(Concat({0xFB, 18}, Colours(18, static_cast<std::uint8_t>(10 * y))), {0xFB}));
  }
  return runs;
}

struct Decoded {
  bool ok = false;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  Bytes pixels;
};

Decoded DecodeFrame(const Bytes& file, std::uint32_t frame) {
  Decoded d;
  d.ok = DecodeCelFrame(d.pixels, file, frame, d.width, d.height);
  return d;
}

Decoded DecodeRuns(const Bytes& runs) { return DecodeFrame(demogame::BuildCelFileFromRuns({runs}), 0); }

TEST(GcdTest, Euclid) {
  struct Case {
    std::uint32_t a, b, gcd;
  };
  const Case cases[] = {{0, 0, 0}, {0, 7, 7}, {7, 0, 7}, {12, 18, 6}, {18, 12, 6},
                        {17, 5, 1}, {28, 28, 28}, {0xFFFFFFFF, 0xFFFFFFFE, 1}, {0xFFFFFFFF, 0, 0xFFFFFFFF}};
  for (const Case& c : cases) EXPECT_EQ(Gcd(c.a, c.b), c.gcd) << c.a << " " << c.b;
}

TEST(CelFrameTest, TwentyEightWideExampleDecodes) {
  const Decoded d = DecodeRuns(Example28Runs(3));
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.width, 28U);
  EXPECT_EQ(d.height, 3U);
  Bytes expected;
  for (std::uint8_t y = 0; y < 3; ++y) {
    expected = Concat(expected, Concat(Concat(Bytes(5, 255), Colours(18, static_cast<std::uint8_t>(10 * y))), Bytes(5, 255)));
  }
  EXPECT_EQ(d.pixels, expected);
}

TEST(CelFrameTest, MeasureFindsTheOnlyFittingCandidate) {
  const Bytes runs = Example28Runs(4);
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  ASSERT_TRUE(MeasureCelFrame(runs, width, height));
  EXPECT_EQ(width, 28U);
  EXPECT_EQ(height, 4U);
  EXPECT_TRUE(CelWidthFits(runs, 28));
  EXPECT_FALSE(CelWidthFits(runs, 14));
  EXPECT_FALSE(CelWidthFits(runs, 56));  // the row-end break would fall mid-row
}

TEST(CelFrameTest, FullRunsFollowedBySameKindAreNoBreaks) {
  // Rows of 259: transparent 3, literal 127, literal 127, transparent 2.
  demogame::SpritePicture picture{259, 2, {}};
  for (std::uint8_t y = 0; y < 2; ++y) {
    picture.pixels = Concat(picture.pixels, Bytes(3, 255));
    picture.pixels = Concat(picture.pixels, Colours(254, y));
    picture.pixels = Concat(picture.pixels, Bytes(2, 255));
  }
  const Bytes runs = demogame::EncodeCelRuns(picture);
  EXPECT_EQ(Bytes(runs.begin(), runs.begin() + 2), (Bytes{0xFD, 127}));
  const Decoded d = DecodeFrame(demogame::BuildCelFile({picture}), 0);
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.width, 259U);
  EXPECT_EQ(d.height, 2U);
  EXPECT_EQ(d.pixels, picture.pixels);
}

TEST(CelFrameTest, UndecodableFramesAreRejected) {
  struct Case {
    const char* what;
    Bytes runs;
  };
  const Case cases[] = {
      // Rows of literal 3 then transparent 2: widths 15 and 5 both fit.
      {"rows without breaks", {3, 1, 2, 3, 0xFE, 3, 4, 5, 6, 0xFE, 3, 7, 8, 9, 0xFE}},
      // Segments of 8 that fit rows of 8 and rows of 4.
      {"ambiguous w and w/2", {4, 1, 2, 3, 4, 0xFC, 0xFC, 4, 5, 6, 7, 8}},
      {"control byte 0", Concat(Example28Runs(1), {0x00, 0xFB})},
      {"control byte 0 first", {0x00}},
      {"literal overruns the data", {5, 1, 2, 3}},
      {"run longer than the closed segments", {1, 9, 1, 9, 5, 1, 2, 3, 4, 5}},
      {"run longer than the segments' gcd", {1, 9, 0xFF, 0xFE, 1, 9}},
      // Only width 4 fits (9 does not), but 4 does not divide the 45 pixels.
      {"accepted width not dividing the total",
       Concat({4, 1, 1, 1, 1, 0xFC, 4, 1, 1, 1, 1, 0xFC, 4, 1, 1, 1, 1, 0xFC, 4, 1, 1, 1, 1, 0xFC, 4, 1, 1, 1, 1},
              {1, 2, 0xFD, 4, 3, 3, 3, 3, 0xFF})},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(DecodeRuns(c.runs).ok) << c.what;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    EXPECT_FALSE(MeasureCelFrame(c.runs, width, height)) << c.what;
  }
}

TEST(CelFrameTest, WidthSearchPinsTheNonDivisorCase) {
  const Bytes runs = Concat(
      {4, 1, 1, 1, 1, 0xFC, 4, 1, 1, 1, 1, 0xFC, 4, 1, 1, 1, 1, 0xFC, 4, 1, 1, 1, 1, 0xFC, 4, 1, 1, 1, 1},
      {1, 2, 0xFD, 4, 3, 3, 3, 3, 0xFF});
  EXPECT_FALSE(CelWidthFits(runs, 9));
  EXPECT_TRUE(CelWidthFits(runs, 4));
}

TEST(CelFrameTest, WidthFitsChecksRowEndsAndBreaks) {
  struct Case {
    Bytes runs;
    std::uint32_t width;
    bool fits;
  };
  const Case cases[] = {
      {{0xFE, 2, 1, 1}, 4, true},
      {{0xFE, 2, 1, 1}, 3, false},              // the literal would cross the row end
      {{0xFE, 0xFE, 2, 1, 1}, 2, true},         // break at a row end
      {{0xFE, 0xFE, 2, 1, 1}, 6, false},        // break mid-row
      {{0x80, 0x80}, 128, true},                // full transparent runs: no break
      {{0x80, 0x80}, 256, true},
      {{2, 1, 1, 0x00, 0xFF}, 10, false},       // control byte 0
      {{}, 7, true},
      {{0xFF}, 0, false},
  };
  for (const Case& c : cases) EXPECT_EQ(CelWidthFits(c.runs, c.width), c.fits) << c.width;
}

TEST(CelFrameTest, UnpackWritesTransparentAs255AndStaysInTheBuffer) {
  Bytes pixels;
  ASSERT_TRUE(UnpackCelFrame(pixels, Bytes{0xFE, 2, 7, 8}, 2, 2));
  EXPECT_EQ(pixels, (Bytes{255, 255, 7, 8}));
  EXPECT_FALSE(UnpackCelFrame(pixels, Bytes{0xFE, 2, 7, 8}, 3, 1));  // more pixels than room
  EXPECT_FALSE(UnpackCelFrame(pixels, Bytes{0xFE}, 0, 5));
  EXPECT_FALSE(UnpackCelFrame(pixels, Bytes{0x00}, 2, 2));
  EXPECT_FALSE(UnpackCelFrame(pixels, Bytes{3, 1}, 3, 1));           // literal beyond the data
}

TEST(CelFrameTest, FramesOutsideTheFileOrWithoutRunsFail) {
  const Bytes runs = Example28Runs(2);
  const Bytes valid = demogame::BuildCelFileFromRuns({runs, runs});
  // Table: N at 0, starts at 4, 8, 12; frame 0 at 16, frame 1 at 16 + 10 + runs.
  const auto frame1 = static_cast<std::uint32_t>(16 + 10 + runs.size());
  ASSERT_TRUE(DecodeFrame(valid, 1).ok);
  EXPECT_FALSE(DecodeFrame(valid, 2).ok);  // starts at the file's end, "ends" in frame 0's header
  EXPECT_FALSE(DecodeFrame(valid, 0xFFFFFFFF).ok);

  struct Case {
    const char* what;
    std::size_t at;
    std::uint32_t value;
  };
  const Case cases[] = {
      {"end beyond the file", 12, static_cast<std::uint32_t>(valid.size() + 1)},
      {"end huge", 12, 0xFFFFFFFF},
      {"start after end", 8, static_cast<std::uint32_t>(valid.size())},
      {"start huge", 8, 0xFFFFFFF8},
      {"header only", 8, static_cast<std::uint32_t>(valid.size() - 10)},
      {"shorter than the header", 8, static_cast<std::uint32_t>(valid.size() - 4)},
  };
  for (const Case& c : cases) {
    Bytes file = valid;
    demogame::PutU32(file, c.at, c.value);
    EXPECT_FALSE(DecodeFrame(file, 1).ok) << c.what;
  }
  Bytes truncated(valid.begin(), valid.begin() + frame1 + 12);
  EXPECT_FALSE(DecodeFrame(truncated, 1).ok);
  EXPECT_TRUE(DecodeFrame(truncated, 0).ok);
}

}  // namespace
}  // namespace gvde
