#include "platform/byte_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

namespace gvde {
namespace {

const std::vector<std::uint8_t> kBytes = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0xFF, 0xFE};

TEST(ByteReaderTest, LittleEndianFieldsAtOffsets) {
  const ByteReader bytes(kBytes);
  EXPECT_EQ(bytes.U8(0), 0x01u);
  EXPECT_EQ(bytes.U8(9), 0xFEu);
  EXPECT_EQ(bytes.U16(1), 0x0302u);
  EXPECT_EQ(bytes.U32(2), 0x06050403u);
  EXPECT_EQ(bytes.U64(1), 0xFF08070605040302u);
  EXPECT_EQ(bytes.I32(6), static_cast<std::int32_t>(0xFEFF0807u));
  EXPECT_EQ(bytes.U16(8), 0xFEFFu);  // the last two bytes
}

TEST(ByteReaderTest, FieldsNotWhollyInsideReadAsZero) {
  const ByteReader bytes(kBytes);
  EXPECT_EQ(bytes.U8(10), 0u);
  EXPECT_EQ(bytes.U16(9), 0u);
  EXPECT_EQ(bytes.U32(7), 0u);
  EXPECT_EQ(bytes.U64(3), 0u);
  constexpr std::uint64_t kFar = std::numeric_limits<std::uint64_t>::max();
  EXPECT_EQ(bytes.U32(kFar), 0u);  // offset + width would wrap
  EXPECT_EQ(bytes.U32(kFar - 2), 0u);
  EXPECT_TRUE(bytes.Has(6, 4));
  EXPECT_FALSE(bytes.Has(7, 4));
  EXPECT_TRUE(bytes.Has(10, 0));
  EXPECT_FALSE(bytes.Has(11, 0));
  EXPECT_FALSE(bytes.Has(2, kFar));
}

TEST(ByteReaderTest, SubViewsAreBoundedByTheirOwnSize) {
  const ByteReader bytes(kBytes);
  const ByteReader middle = bytes.Sub(2, 4);
  ASSERT_TRUE(middle.Valid());
  EXPECT_EQ(middle.Size(), 4u);
  EXPECT_EQ(middle.U32(0), 0x06050403u);
  EXPECT_EQ(middle.U8(4), 0u);  // the byte after the view is in the file but not in the view
  EXPECT_EQ(middle.U16(3), 0u);
  EXPECT_EQ(middle.Sub(1, 2).U16(0), 0x0504u);

  EXPECT_TRUE(bytes.Sub(10, 0).Valid());  // an empty view at the very end
  EXPECT_FALSE(bytes.Sub(7, 4).Valid());
  EXPECT_FALSE(bytes.Sub(11, 0).Valid());
  EXPECT_FALSE(middle.Sub(2, 3).Valid());
  EXPECT_EQ(bytes.Sub(7, 4).U8(0), 0u);
}

TEST(ByteReaderTest, NoBytesIsInvalid) {
  const ByteReader none;
  EXPECT_FALSE(none.Valid());
  EXPECT_FALSE(none.Has(0, 0));
  EXPECT_EQ(none.U32(0), 0u);
  EXPECT_FALSE(none.Sub(0, 0).Valid());
  EXPECT_FALSE(ByteReader(nullptr, 8).Has(0, 1));
}

}  // namespace
}  // namespace gvde
