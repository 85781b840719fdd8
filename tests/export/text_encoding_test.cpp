#include "export/text_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace gvde {
namespace {

TEST(Windows1252ToUtf8Test, AsciiIsUnchanged) {
  EXPECT_EQ(Windows1252ToUtf8("Iron Shortblade <1> & \"2\"\t~"), "Iron Shortblade <1> & \"2\"\t~");
  EXPECT_EQ(Windows1252ToUtf8(""), "");
}

// Every byte of the upper half, with the expected characters written out from the code page's
// published table; the five unassigned bytes become U+FFFD.
TEST(Windows1252ToUtf8Test, UpperHalfBecomesTheCodePagesCharacters) {
  const std::u8string k80To9F =
      u8"\u20AC\uFFFD\u201A\u0192\u201E\u2026\u2020\u2021\u02C6\u2030\u0160\u2039\u0152\uFFFD\u017D\uFFFD"
      u8"\uFFFD\u2018\u2019\u201C\u201D\u2022\u2013\u2014\u02DC\u2122\u0161\u203A\u0153\uFFFD\u017E\u0178";
  const std::u8string kA0ToFF =
      u8"\u00A0¡¢£¤¥¦§¨©ª«¬\u00AD®¯°±²³´µ¶·¸¹º»¼½¾¿ÀÁÂÃÄÅÆÇÈÉÊËÌÍÎÏÐÑÒÓÔÕÖ×ØÙÚÛÜÝÞßàáâãäåæçèéêëìíîïðñòóôõö÷øù"
      u8"úûüýþÿ";
  std::string upperHalf;
  for (int byte = 0x80; byte <= 0xFF; ++byte) upperHalf += static_cast<char>(byte);
  const std::u8string expected = k80To9F + kA0ToFF;
  EXPECT_EQ(Windows1252ToUtf8(upperHalf), std::string(expected.begin(), expected.end()));
}

TEST(Windows1252ToUtf8Test, MixedText) {
  // Octal escapes: 0xC9, the euro sign 0x80, the unassigned 0x81.
  EXPECT_EQ(Windows1252ToUtf8("\311bony \2005 \201!"), "\303\211bony \342\202\2545 \357\277\275!");
}

}  // namespace
}  // namespace gvde
