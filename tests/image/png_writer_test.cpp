#include "image/png_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "image/png_chunks_internal.h"
#include "testkit/png_decode.h"

namespace gvde {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

std::uint32_t BigEndianAt(const Bytes& bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes[at]) << 24 | static_cast<std::uint32_t>(bytes[at + 1]) << 16 |
         static_cast<std::uint32_t>(bytes[at + 2]) << 8 | bytes[at + 3];
}

// The whole file of a 1 x 1 transparent pixel with an all-zero palette.
Bytes OneTransparentPixelFile() {
  Bytes file = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A,
                0, 0, 0, 13, 'I', 'H', 'D', 'R', 0, 0, 0, 1, 0, 0, 0, 1, 8, 3, 0, 0, 0, 0x28, 0xCB, 0x34, 0xBB,
                0, 0, 3, 0, 'P', 'L', 'T', 'E'};
  file.resize(file.size() + 768, 0);
  Append(file, {0xB3, 0x30, 0xF4, 0x88,
                0, 0, 0, 1, 't', 'R', 'N', 'S', 0, 0x40, 0xE6, 0xD8, 0x66,
                0, 0, 0, 10, 'I', 'D', 'A', 'T', 0x78, 0x9C, 0x63, 0x60, 0x00, 0x00, 0x00, 0x02, 0x00, 0x01,
                0x48, 0xAF, 0xA4, 0x71,
                0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82});
  return file;
}

// Game colour k of the test palette.
std::array<std::uint8_t, 3> GameColour(int k) {
  return {static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(255 - k), static_cast<std::uint8_t>(k ^ 0x5A)};
}

// The whole file of a picture, or an empty one after a failure.
Bytes Encode(const PngWriter& png, std::uint32_t width, std::uint32_t height, const Bytes& pixels) {
  Bytes file;
  EXPECT_TRUE(png.EncodePng(width, height, pixels, file)) << width << " x " << height;
  return file;
}

class PngWriterTest : public ::testing::Test {
 protected:
  Bytes Encode(std::uint32_t width, std::uint32_t height, const Bytes& pixels) const {
    return gvde::Encode(png, width, height, pixels);
  }
  PngWriter png;  // an all-zero palette
};

TEST(PngChunkTest, Crc32KnownValues) {
  const std::string iend = "IEND";
  EXPECT_EQ(Crc32(reinterpret_cast<const std::uint8_t*>(iend.data()), iend.size()), 0xAE426082U);
  const std::string check = "123456789";
  EXPECT_EQ(Crc32(reinterpret_cast<const std::uint8_t*>(check.data()), check.size()), 0xCBF43926U);
}

TEST(PngChunkTest, PutChunkWritesLengthTypeDataAndCrc) {
  Bytes out(40, 0xEE);
  std::uint8_t* after = PutChunk(out.data(), "tRNS", Bytes{0});
  EXPECT_EQ(after, out.data() + 13);
  after = PutChunk(after, "IEND", {});
  EXPECT_EQ(after, out.data() + 25);
  EXPECT_EQ(Bytes(out.begin(), out.begin() + 26),
            (Bytes{0, 0, 0, 1, 't', 'R', 'N', 'S', 0, 0x40, 0xE6, 0xD8, 0x66,  //
                   0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82, 0xEE}));
}

TEST(PngChunkTest, FrameChunkAroundDataInPlace) {
  Bytes chunk(kChunkOverhead + 300, 0);
  for (std::size_t i = 0; i < 300; ++i) chunk[kChunkDataOffset + i] = static_cast<std::uint8_t>(i);
  FrameChunk(chunk.data(), "IDAT", 300);
  EXPECT_EQ(Bytes(chunk.begin(), chunk.begin() + 8), (Bytes{0, 0, 1, 0x2C, 'I', 'D', 'A', 'T'}));
  EXPECT_EQ(chunk[kChunkDataOffset + 299], 299 % 256);
  EXPECT_EQ(BigEndianAt(chunk, 308), Crc32(chunk.data() + 4, 304));
  EXPECT_NE(BigEndianAt(chunk, 308), Crc32(chunk.data() + 8, 300));  // the type is covered too
}

TEST_F(PngWriterTest, OneTransparentPixelGivesTheExactFile) {
  const Bytes file = Encode(1, 1, {255});
  EXPECT_EQ(file, OneTransparentPixelFile());
  EXPECT_EQ(file.size(), 850U + 10U);

  const auto decoded = testkit::DecodePng(file);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->rows, (std::vector<Bytes>{{0}}));
  EXPECT_EQ(decoded->trns, Bytes{0});
}

TEST_F(PngWriterTest, RowsAreWrittenTopFirstAsReversedIndices) {
  const Bytes file = Encode(3, 2, {1, 2, 3, 4, 5, 6});
  ASSERT_EQ(file.size(), 850U + 16U);
  EXPECT_EQ(Bytes(file.begin() + 16, file.begin() + 33),
            (Bytes{0, 0, 0, 3, 0, 0, 0, 2, 8, 3, 0, 0, 0, 0xAA, 0xAA, 0x96, 0x28}));
  // zlib stream of [0, 251, 250, 249, 0, 254, 253, 252], then its chunk CRC.
  EXPECT_EQ(Bytes(file.begin() + 826, file.begin() + 858),
            (Bytes{0, 0, 0, 16, 'I', 'D', 'A', 'T', 0x78, 0x9C, 0x63, 0xF8, 0xFD, 0xEB, 0x27, 0xC3, 0xBF, 0xBF,
                   0x7F, 0x00, 0x17, 0x8E, 0x05, 0xE6, 0x9A, 0x6C, 0xA2, 0xE7, 0, 0, 0, 0}));

  const auto decoded = testkit::DecodePng(file);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->rows, (std::vector<Bytes>{{251, 250, 249}, {254, 253, 252}}));
}

TEST(PngPaletteTest, GamePaletteIsReversedWithItsChecksum) {
  std::array<std::uint8_t, kPaletteBytes> palette{};
  for (int k = 0; k < 256; ++k) std::memcpy(palette.data() + 3 * k, GameColour(k).data(), 3);
  PngWriter png;
  png.SetPalette(palette);
  const Bytes file = Encode(png, 1, 1, {0});
  ASSERT_GE(file.size(), 830U);
  EXPECT_EQ(Bytes(file.begin() + 41, file.begin() + 44), (Bytes{255, 0, 0xA5}));    // game colour 255
  EXPECT_EQ(Bytes(file.begin() + 806, file.begin() + 809), (Bytes{0, 255, 0x5A}));  // game colour 0
  EXPECT_EQ(BigEndianAt(file, 809), 0xE29038C4U);

  const auto decoded = testkit::DecodePng(file);
  ASSERT_TRUE(decoded);
  ASSERT_EQ(decoded->palette.size(), 256U);
  for (int k = 0; k < 256; ++k) EXPECT_EQ(decoded->palette[static_cast<std::size_t>(k)], GameColour(255 - k)) << k;
  EXPECT_EQ(decoded->rows, (std::vector<Bytes>{{255}}));
}

TEST_F(PngWriterTest, EveryPixelSurvivesTheIndependentDecoder) {
  const std::uint32_t width = 37;
  const std::uint32_t height = 23;
  Bytes pixels(width * height);
  for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint8_t>(i * 7 + i / 5);
  const Bytes file = Encode(width, height, pixels);
  ASSERT_GE(file.size(), 850U);
  EXPECT_EQ(file.size(), 850U + BigEndianAt(file, 826));
  const auto decoded = testkit::DecodePng(file);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->width, width);
  EXPECT_EQ(decoded->height, height);
  EXPECT_EQ(decoded->bitDepth, 8);
  EXPECT_EQ(decoded->colorType, 3);
  EXPECT_EQ(decoded->interlace, 0);
  EXPECT_EQ(decoded->trns, Bytes{0});
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width; ++x) {
      EXPECT_EQ(decoded->rows[y][x], 255 - pixels[(height - 1 - y) * width + x]) << x << "," << y;
    }
  }
}

TEST_F(PngWriterTest, ASecondPictureKeepsNothingOfTheFirst) {
  Bytes file;
  ASSERT_TRUE(png.EncodePng(37, 23, Bytes(37 * 23, 9), file));
  ASSERT_TRUE(png.EncodePng(1, 1, {255}, file));
  EXPECT_EQ(file, OneTransparentPixelFile());
}

TEST_F(PngWriterTest, RefusedPictures) {
  struct Case {
    const char* name;
    std::uint32_t width;
    std::uint32_t height;
    Bytes pixels;
  };
  const Case cases[] = {
      {"height0.png", 3, 0, {}},
      {"width0.png", 0, 3, {}},
      {"short.png", 2, 2, {1, 2, 3}},          // fewer pixels than width x height
      {"huge.png", 0xFFFFFFFF, 0xFFFFFFFF, {1}},
  };
  Bytes file;
  for (const Case& c : cases) EXPECT_FALSE(png.EncodePng(c.width, c.height, c.pixels, file)) << c.name;
}

}  // namespace
}  // namespace gvde
