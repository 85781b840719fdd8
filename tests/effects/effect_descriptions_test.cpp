#include "effects/effect_descriptions.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstdint>
#include <string>
#include <utility>

namespace gvde {
namespace {

class EffectDescriptionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitEffectFormatters();
    names.fill("Name");
    game.spellNames.fill("Bolt");
  }

  std::string Describe(std::uint32_t code, std::int32_t p1, std::int32_t p2) {
    const EffectContext context{names, game};
    return DescribeEffect(EffectEntry{code, p1, p2}, context);
  }

  std::array<std::string, 94> names;
  GameData game;
};

TEST(FormatRangeTest, WritesOneValueOrBothUnordered) {
  EXPECT_EQ(FormatRange(7, 7), "7");
  EXPECT_EQ(FormatRange(1, 3), "1...3");
  EXPECT_EQ(FormatRange(5, 3), "5...3");
  EXPECT_EQ(FormatRange(-2, -2), "-2");
  EXPECT_EQ(FormatRange(-5, 0), "-5...0");
  EXPECT_EQ(FormatRange(INT32_MIN, INT32_MAX), "-2147483648...2147483647");
}

// Every code with p1 = 2 and p2 = 3; the kinds are listed here by code, independently of
// the table in the implementation.
TEST_F(EffectDescriptionsTest, EveryCodeUsesItsKind) {
  const char* kByCode[94] = {
      "PP", "MP", "PP", "MP", "NC", "NC", "PP", "MP", "PP", "PP",   // 0-9
      "PP", "PP", "NC", "NC", "NC", "PV", "NC", "NC", "NC", "PV",   // 10-19
      "MV", "PV", "MV", "PV", "MV", "PV", "MV", "PV", "MV", "PV",   // 20-29
      "MV", "PV", "MV", "PV", "MV", "PP", "MP", "NO", "P10", "M10",  // 30-39
      "NC", "NO", "NC", "NC", "NC", "NO", "NO", "NO", "NC", "NC",   // 40-49
      "NC", "NC", "NO", "NO", "NO", "HP", "HP", "NC", "AS", "HR",   // 50-59
      "NO", "PV", "NO", "NC", "NC", "NO", "SC", "AS", "NO", "NO",   // 60-69
      "NO", "NC", "NO", "NO", "NO", "NC", "NC", "NC", "NO", "MV",   // 70-79
      "MP", "MP", "MP", "MP", "NO", "PP", "NO", "NO", "DD", "NO",   // 80-89
      "NO", "NO", "NO", "NO"};                                      // 90-93
  // "@" stands for the code's own name.
  const std::array<std::pair<std::string, std::string>, 13> kTexts = {{
      {"NC", "@: 2...3"},
      {"NO", "@"},
      {"SC", "3 charges of Bolt"},
      {"PP", "+2...3% to @"},
      {"MP", "-2...3% to @"},
      {"P10", "+20...30% to @"},
      {"M10", "-20...30% to @"},
      {"HP", "0...1% @"},
      {"PV", "+2...3 to @"},
      {"MV", "-2...3 to @"},
      {"HR", "Faster hit recovery"},
      {"AS", "Fast attack speed"},
      {"DD", "+144...146% to Damage, -2...3% to Durability"},
  }};
  for (std::uint32_t code = 0; code < 94; ++code) names[code] = "Effect" + std::to_string(code);
  for (std::uint32_t code = 0; code < 94; ++code) {
    std::string expected;
    for (const auto& [kind, text] : kTexts) {
      if (kind == kByCode[code]) expected = text;
    }
    ASSERT_FALSE(expected.empty()) << code;
    if (const auto at = expected.find('@'); at != std::string::npos) expected.replace(at, 1, names[code]);
    EXPECT_EQ(Describe(code, 2, 3), expected) << "code " << code;
  }
}

TEST_F(EffectDescriptionsTest, WorkedExamples) {
  EXPECT_EQ(Describe(4, 7, 7), "Name: 7");
  EXPECT_EQ(Describe(4, 1, 3), "Name: 1...3");
  EXPECT_EQ(Describe(37, 1, 3), "Name");
  EXPECT_EQ(Describe(38, 2, 3), "+20...30% to Name");
  EXPECT_EQ(Describe(39, 2, 2), "-20% to Name");
  EXPECT_EQ(Describe(55, 1, 4), "0...1% Name");
  EXPECT_EQ(Describe(56, 0, 0), "0% Name");
  EXPECT_EQ(Describe(88, 10, 20), "+160...180% to Damage, -10...20% to Durability");
  EXPECT_EQ(Describe(66, 60, 40), "40 charges of <NO STRING>");
  EXPECT_EQ(Describe(66, 0, 40), "40 charges of <NO STRING>");
}

TEST_F(EffectDescriptionsTest, SignsAreLiteralInFrontOfSignedNumbers) {
  EXPECT_EQ(Describe(0, -5, -5), "+-5% to Name");
  EXPECT_EQ(Describe(1, -5, -5), "--5% to Name");
  EXPECT_EQ(Describe(15, -5, -5), "+-5 to Name");
  EXPECT_EQ(Describe(20, -5, 5), "--5...5 to Name");
  EXPECT_EQ(Describe(38, -5, -5), "+-50% to Name");
  EXPECT_EQ(Describe(88, -5, -5), "+130% to Damage, --5% to Durability");
}

TEST_F(EffectDescriptionsTest, SpeedTextsDependOnFirstParameterOnly) {
  const std::array<const char*, 6> kHit = {"Hit recovery: ERROR", "Fast hit recovery", "Faster hit recovery",
                                           "Fastest hit recovery", "Hit recovery: ERROR", "Hit recovery: ERROR"};
  const std::array<const char*, 6> kAttack = {"Attack speed: ERROR",  "Quick attack speed",
                                              "Fast attack speed",    "Faster attack speed",
                                              "Fastest attack speed", "Attack speed: ERROR"};
  for (std::int32_t p1 = 0; p1 < 6; ++p1) {
    EXPECT_EQ(Describe(59, p1, 99), kHit[static_cast<std::size_t>(p1)]) << p1;
    EXPECT_EQ(Describe(58, p1, 99), kAttack[static_cast<std::size_t>(p1)]) << p1;
    EXPECT_EQ(Describe(67, p1, -1), kAttack[static_cast<std::size_t>(p1)]) << p1;
  }
  EXPECT_EQ(Describe(59, -1, 1), "Hit recovery: ERROR");
  EXPECT_EQ(Describe(58, INT32_MIN, 1), "Attack speed: ERROR");
}

TEST_F(EffectDescriptionsTest, HalfPercentTruncatesTowardZero) {
  EXPECT_EQ(Describe(55, 2, 3), "0...1% Name");
  EXPECT_EQ(Describe(55, 0, -1), "0...-1% Name");
  EXPECT_EQ(Describe(55, -2, -3), "-1...-2% Name");
  EXPECT_EQ(Describe(55, 11, 11), "5% Name");
}

TEST_F(EffectDescriptionsTest, ArithmeticWrapsAt32Bits) {
  EXPECT_EQ(Describe(38, INT32_MAX, INT32_MIN), "+-10...0% to Name");
  EXPECT_EQ(Describe(39, 214748365, 214748364), "--2147483646...2147483640% to Name");
  EXPECT_EQ(Describe(55, INT32_MIN, INT32_MAX), "1073741823% Name");
  EXPECT_EQ(Describe(88, INT32_MAX, INT32_MIN),
            "+138...140% to Damage, -2147483647...-2147483648% to Durability");
  EXPECT_EQ(Describe(88, 1073741754, 1073741753),
            "+-2147483648...2147483646% to Damage, -1073741754...1073741753% to Durability");
  EXPECT_EQ(Describe(4, INT32_MIN, INT32_MAX), "Name: -2147483648...2147483647");
  EXPECT_EQ(Describe(66, INT32_MIN, INT32_MIN), "-2147483648 charges of <NO STRING>");
}

TEST_F(EffectDescriptionsTest, CodesAbove93AreUnknown) {
  EXPECT_EQ(Describe(94, 1, 2), "Unknown effect 94: 1...2");
  EXPECT_EQ(Describe(200, -3, -3), "Unknown effect 200: -3");
  EXPECT_EQ(Describe(0x80000000u, 0, 1), "Unknown effect -2147483648: 0...1");
  EXPECT_EQ(Describe(0xFFFFFFFFu, 5, 3), "Unknown effect -1: 5...3");
}

TEST_F(EffectDescriptionsTest, MissingNameIsEmpty) {
  names[4].clear();
  names[37].clear();
  EXPECT_EQ(Describe(4, 1, 1), ": 1");
  EXPECT_EQ(Describe(37, 1, 1), "");
}

TEST_F(EffectDescriptionsTest, InitialisingTwiceKeepsTheTable) {
  InitEffectFormatters();
  EXPECT_EQ(Describe(66, 1, 2), "2 charges of Bolt");
  EXPECT_EQ(Describe(16, 1, 2), "Name: 1...2");
  EXPECT_EQ(Describe(93, 1, 2), "Name");
}

}  // namespace
}  // namespace gvde
