#include "image/item_images.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "demogame/pe_builder.h"
#include "demogame/sprite_encoders.h"
#include "testkit/png_decode.h"

namespace gvde {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A decodable frame 28 wide: every row transparent 5, literal 18 of `colour`, transparent 5.
demogame::SpritePicture ItemPicture(std::uint8_t colour, std::uint32_t rows) {
  demogame::SpritePicture picture{28, rows, {}};
  for (std::uint32_t y = 0; y < rows; ++y) {
    picture.pixels.insert(picture.pixels.end(), 5, 255);
    picture.pixels.insert(picture.pixels.end(), 18, colour);
    picture.pixels.insert(picture.pixels.end(), 5, 255);
  }
  return picture;
}

// Frame f shows colour f and has 1 + f % 3 rows.
std::vector<demogame::SpritePicture> NumberedFrames(std::uint32_t count) {
  std::vector<demogame::SpritePicture> frames;
  for (std::uint32_t f = 0; f < count; ++f) frames.push_back(ItemPicture(static_cast<std::uint8_t>(f), 1 + f % 3));
  return frames;
}

class ItemImagesTest : public ::testing::Test {
 protected:
  // The pictures the run makes of the frames from firstFrame on, numbered from firstNumber;
  // gives the frame count the run goes on with.
  std::uint32_t Write(std::uint32_t firstFrame, std::uint32_t firstNumber, const Bytes& file) {
    const ItemFrames frames = ItemFramesOf(file, firstFrame);
    for (std::uint32_t frame = frames.first; frame < frames.end; ++frame) {
      EncodedPicture picture = EncodeItemFrame(png, file, frame);
      if (picture.outcome == EncodedPicture::Outcome::Encoded) {
        pictures[firstNumber + frame - firstFrame] = std::move(picture.file);
      } else {
        EXPECT_EQ(picture.outcome, EncodedPicture::Outcome::NotDecoded) << frame;
      }
    }
    return frames.count;
  }

  std::size_t PictureCount() const { return pictures.size(); }

  // Picture <number> shows `expected` (game colours, bottom row first).
  void ExpectPicture(std::uint32_t number, const demogame::SpritePicture& expected) {
    ASSERT_TRUE(PictureExists(number)) << number;
    const auto decoded = testkit::DecodePng(pictures.at(number));
    ASSERT_TRUE(decoded) << number;
    EXPECT_EQ(decoded->width, expected.width) << number;
    ASSERT_EQ(decoded->height, expected.height) << number;
    Bytes pixels;
    for (auto row = decoded->rows.rbegin(); row != decoded->rows.rend(); ++row) {
      for (std::uint8_t index : *row) pixels.push_back(static_cast<std::uint8_t>(255 - index));
    }
    EXPECT_EQ(pixels, expected.pixels) << number;
  }

  bool PictureExists(std::uint32_t number) const { return pictures.count(number) != 0; }

  std::map<std::uint32_t, Bytes> pictures;
  PngWriter png;
};

TEST_F(ItemImagesTest, FirstFileSkipsElevenFramesAndItsLast) {
  const auto frames = NumberedFrames(200);
  EXPECT_EQ(Write(11, 0, demogame::BuildCelFile(frames)), 189U);
  EXPECT_EQ(PictureCount(), 188U);
  for (std::uint32_t number = 0; number <= 187; ++number) ExpectPicture(number, frames[number + 11]);
  EXPECT_FALSE(PictureExists(188));

  const auto third = NumberedFrames(3);
  EXPECT_EQ(Write(0, 189 - 1, demogame::BuildCelFile(third)), 3U);
  ExpectPicture(188, third[0]);
  ExpectPicture(189, third[1]);
  EXPECT_FALSE(PictureExists(190));
}

TEST_F(ItemImagesTest, FilesWithoutWritableFramesGiveTheirCount) {
  struct Case {
    std::uint32_t frames;
    std::uint32_t firstFrame;
    std::uint32_t count;
  };
  const Case cases[] = {{12, 11, 1}, {11, 11, 0}, {1, 0, 1}, {0, 0, 0}, {5, 9, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(Write(c.firstFrame, 0, demogame::BuildCelFile(NumberedFrames(c.frames))), c.count) << c.frames;
  }
  EXPECT_EQ(PictureCount(), 0U);
}

TEST_F(ItemImagesTest, FileTooShortForItsFrameCountHasNoFrames) {
  EXPECT_EQ(Write(0, 0, Bytes{}), 0U);
  EXPECT_EQ(Write(0, 0, Bytes{9, 0, 0}), 0U);
  // A huge frame count over a tiny file: counted, nothing written, no long walk.
  EXPECT_EQ(Write(11, 0, Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0, 0}), 0xFFFFFFFFU - 11U);
  EXPECT_EQ(PictureCount(), 0U);
}

TEST_F(ItemImagesTest, UndecodableFrameLeavesAGap) {
  const auto frames = NumberedFrames(5);
  std::vector<Bytes> runs;
  for (const auto& frame : frames) runs.push_back(demogame::EncodeCelRuns(frame));
  runs[1].push_back(0x00);
  EXPECT_EQ(Write(0, 7, demogame::BuildCelFileFromRuns(runs)), 5U);
  ExpectPicture(7, frames[0]);
  EXPECT_FALSE(PictureExists(8));
  ExpectPicture(9, frames[2]);
  ExpectPicture(10, frames[3]);
  EXPECT_FALSE(PictureExists(11));
}

}  // namespace
}  // namespace gvde
