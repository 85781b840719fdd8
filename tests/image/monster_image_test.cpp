#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "demogame/pe_builder.h"
#include "demogame/sprite_encoders.h"
#include "image/sprites.h"
#include "testkit/pictures.h"
#include "testkit/png_decode.h"

namespace gvde {
namespace {

using Bytes = std::vector<std::uint8_t>;
using demogame::MonsterFrameBytes;
using demogame::SpritePicture;

// Files by archive name; records every name asked for.
class MemoryFiles final : public FileSource {
 public:
  std::map<std::string, Bytes> files;
  std::map<std::string, std::int32_t> forcedResults;
  std::vector<std::string> requests;

  std::int32_t ExtractFile(Bytes& buffer, const std::string& name) override {
    requests.push_back(name);
    if (auto forced = forcedResults.find(name); forced != forcedResults.end()) return forced->second;
    const auto it = files.find(name);
    if (it == files.end() || it->second.empty()) return 0;
    buffer = it->second;
    return static_cast<std::int32_t>(buffer.size());
  }
  bool ReadFileExact(std::uint8_t* destination, std::uint32_t size, const std::string& name) override {
    requests.push_back(name);
    const auto it = files.find(name);
    if (it == files.end() || it->second.size() != size) return false;
    std::memcpy(destination, it->second.data(), size);
    return true;
  }
};

Bytes Table(std::uint8_t (*entry)(int)) {
  Bytes table(256);
  for (int c = 0; c < 256; ++c) table[static_cast<std::size_t>(c)] = entry(c);
  return table;
}

const char kSprite[] = "Monsters\\Rotter\\Rotter%c.anm";
const char kSpriteFile[] = "Monsters\\Rotter\\Rottera.anm";

class MonsterImageTest : public ::testing::Test {
 protected:
  // Makes the picture as the run does and reads it back as game colours, bottom row first.
  std::optional<SpritePicture> Write(const std::string& sprite, const std::optional<std::string>& ownTable,
                                     const std::optional<std::string>& bossTable, std::uint32_t width) {
    const EncodedPicture encoded = testkit::MonsterPicture(files, png, sprite, ownTable, bossTable, width);
    if (encoded.outcome != EncodedPicture::Outcome::Encoded) {
      EXPECT_EQ(encoded.outcome, EncodedPicture::Outcome::NotDecoded);
      return std::nullopt;
    }
    const auto decoded = testkit::DecodePng(encoded.file);
    if (!decoded) {
      ADD_FAILURE() << "written picture does not decode";
      return std::nullopt;
    }
    SpritePicture picture{decoded->width, decoded->height, {}};
    for (auto row = decoded->rows.rbegin(); row != decoded->rows.rend(); ++row) {
      for (std::uint8_t index : *row) picture.pixels.push_back(static_cast<std::uint8_t>(255 - index));
    }
    return picture;
  }

  std::optional<Bytes> WriteRuns(const Bytes& runs, std::uint32_t width) {
    files.files[kSpriteFile] = demogame::BuildMonsterFileFromRuns({{MonsterFrameBytes{runs, 10}}});
    const auto picture = Write(kSprite, std::nullopt, std::nullopt, width);
    if (!picture) return std::nullopt;
    return picture->pixels;
  }

  PngWriter png;
  MemoryFiles files;
};

TEST_F(MonsterImageTest, EveryLowerCasePlaceholderBecomesA) {
  files.files["Monsters\\Horned\\a\\Horneda%C%.anm"] =
      demogame::BuildMonsterFileFromRuns({{{{0xFF, 7}, 10}}});
  const auto picture = Write("Monsters\\Horned\\%z\\Horned%c%C%.anm", std::nullopt, std::nullopt, 1);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->pixels, Bytes{7});
  EXPECT_EQ(files.requests, std::vector<std::string>{"Monsters\\Horned\\a\\Horneda%C%.anm"});
}

TEST_F(MonsterImageTest, ColourTablesApplyOwnFirstThenBoss) {
  files.files[kSpriteFile] = demogame::BuildMonsterFileFromRuns({{{{0xFC, 1, 2, 3, 4}, 10}}});
  files.files["Monsters\\Rotter\\Red.TRN"] = Table([](int c) { return static_cast<std::uint8_t>(c + 10); });
  files.files["CF\\MD\\Hell.trn"] = Table([](int c) { return static_cast<std::uint8_t>(2 * c); });
  struct Case {
    std::optional<std::string> own;
    std::optional<std::string> boss;
    Bytes expected;
  };
  const Case cases[] = {
      {std::nullopt, std::nullopt, {1, 2, 3, 4}},
      {"Monsters\\Rotter\\Red.TRN", std::nullopt, {11, 12, 13, 14}},
      {std::nullopt, "Hell", {2, 4, 6, 8}},
      {"Monsters\\Rotter\\Red.TRN", "Hell", {22, 24, 26, 28}},  // T1[T2[c]] would give 12, 14, 16, 18
  };
  for (const Case& c : cases) {
    const auto picture = Write(kSprite, c.own, c.boss, 4);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->pixels, c.expected);
  }
}

TEST_F(MonsterImageTest, BossTableIsLookedForUnderMdThenSd) {
  files.files[kSpriteFile] = demogame::BuildMonsterFileFromRuns({{{{0xFF, 5}, 10}}});
  files.files["CF\\SD\\Ice.trn"] = Table([](int c) { return static_cast<std::uint8_t>(c + 1); });
  const auto picture = Write(kSprite, std::nullopt, "Ice", 1);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->pixels, Bytes{6});
  EXPECT_EQ(files.requests, (std::vector<std::string>{"CF\\MD\\Ice.trn", "CF\\SD\\Ice.trn", kSpriteFile}));
}

TEST_F(MonsterImageTest, MissingOrWrongSizedTablesFail) {
  files.files[kSpriteFile] = demogame::BuildMonsterFileFromRuns({{{{0xFF, 5}, 10}}});
  files.files["CF\\MD\\Short.trn"] = Bytes(255, 1);
  files.files["CF\\SD\\Long.trn"] = Bytes(257, 1);
  files.files["own255.trn"] = Bytes(255, 1);
  EXPECT_FALSE(Write(kSprite, std::nullopt, "Short", 1));
  EXPECT_FALSE(Write(kSprite, std::nullopt, "Long", 1));
  EXPECT_FALSE(Write(kSprite, std::nullopt, "Absent", 1));
  EXPECT_FALSE(Write(kSprite, "own255.trn", std::nullopt, 1));
  EXPECT_FALSE(Write(kSprite, "absent.trn", std::nullopt, 1));
}

TEST_F(MonsterImageTest, FrameWidthMustDivideThePixelCount) {
  SpritePicture source{64, 96, Bytes(6144)};
  for (std::size_t i = 0; i < source.pixels.size(); ++i) {
    source.pixels[i] = i % 11 == 0 ? 255 : static_cast<std::uint8_t>(i / 64 + (i % 64) / 20);
  }
  files.files[kSpriteFile] = demogame::BuildMonsterFile({{source}});
  const auto picture = Write(kSprite, std::nullopt, std::nullopt, 64);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->width, 64U);
  EXPECT_EQ(picture->height, 96U);
  EXPECT_EQ(picture->pixels, source.pixels);
  EXPECT_FALSE(Write(kSprite, std::nullopt, std::nullopt, 60));
  EXPECT_FALSE(Write(kSprite, std::nullopt, std::nullopt, 0));
}

TEST_F(MonsterImageTest, OnlyFrameZeroOfTheFirstGroupIsUsed) {
  const SpritePicture first{2, 1, {1, 2}};
  const SpritePicture other{2, 1, {3, 4}};
  for (std::uint16_t headerLength : std::vector<std::uint16_t>{2, 10, 300}) {
    files.files[kSpriteFile] = demogame::BuildMonsterFile({{first, other}, {other, other}}, headerLength);
    const auto picture = Write(kSprite, std::nullopt, std::nullopt, 2);
    ASSERT_TRUE(picture) << headerLength;
    EXPECT_EQ(picture->pixels, first.pixels) << headerLength;
  }
}

Bytes Repeat(std::size_t count, std::uint8_t value) { return Bytes(count, value); }

Bytes Ramp(std::size_t count) {
  Bytes bytes(count);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(i + 1);
  return bytes;
}

Bytes Concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST_F(MonsterImageTest, EachRunKindDecodes) {
  struct Case {
    const char* what;
    Bytes runs;
    Bytes expected;
  };
  const Case cases[] = {
      {"transparent 1", {0x01}, {255}},
      {"transparent 127", {0x7F}, Repeat(127, 255)},
      {"fill 0x80", {0x80, 9}, Repeat(63, 9)},
      {"fill 0xBE", {0xBE, 9}, {9}},
      {"literal 0xBF", Concat({0xBF}, Ramp(65)), Ramp(65)},
      {"literal 0xFF", {0xFF, 42}, {42}},
      {"literal 0x00", Concat({0x00}, Ramp(256)), Ramp(256)},
      {"mixed", {0x02, 0xBD, 7, 0xFE, 5, 6}, {255, 255, 7, 7, 5, 6}},
  };
  for (const Case& c : cases) {
    const auto pixels = WriteRuns(c.runs, static_cast<std::uint32_t>(c.expected.size()));
    ASSERT_TRUE(pixels) << c.what;
    EXPECT_EQ(*pixels, c.expected) << c.what;
  }
}

TEST_F(MonsterImageTest, RunsOverrunningTheFrameFail) {
  EXPECT_FALSE(WriteRuns(Concat({0xBF}, Ramp(64)), 64));
  EXPECT_FALSE(WriteRuns({0xFF, 1, 0x80}, 1));
  EXPECT_FALSE(WriteRuns(Concat({0x00}, Ramp(255)), 1));
}

TEST_F(MonsterImageTest, OffsetsOutsideTheFileFail) {
  // Layout of the valid file: group table at 0, group at 4 (count, two starts), frame at 16.
  const Bytes valid = demogame::BuildMonsterFileFromRuns({{{{0xFF, 5}, 10}}});
  ASSERT_EQ(valid.size(), 28U);
  struct Case {
    const char* what;
    std::size_t at;
    std::uint32_t value;
  };
  const Case cases[] = {
      {"group beyond the file", 0, 28},
      {"group table cut off", 0, 20},
      {"group offset huge", 0, 0xFFFFFFF8},
      {"frame start beyond the file", 8, 0x7FFFFFF0},
      {"frame end beyond the file", 12, 25},
      {"frame end before its start", 12, 11},
      {"frame end huge", 12, 0xFFFFFFFF},
  };
  files.files[kSpriteFile] = valid;
  ASSERT_TRUE(Write(kSprite, std::nullopt, std::nullopt, 1));
  for (const Case& c : cases) {
    Bytes file = valid;
    demogame::PutU32(file, c.at, c.value);
    files.files[kSpriteFile] = file;
    EXPECT_FALSE(Write(kSprite, std::nullopt, std::nullopt, 1)) << c.what;
  }
  for (std::uint16_t headerLength : std::vector<std::uint16_t>{12, 13, 0xFFFF}) {  // no run data left in the frame
    Bytes file = valid;
    demogame::PutU16(file, 16, headerLength);
    files.files[kSpriteFile] = file;
    EXPECT_FALSE(Write(kSprite, std::nullopt, std::nullopt, 1)) << headerLength;
  }
  files.files[kSpriteFile] = Bytes{4, 0, 0};
  EXPECT_FALSE(Write(kSprite, std::nullopt, std::nullopt, 1));
}

TEST_F(MonsterImageTest, AnimationFileThatCannotBeExtractedFails) {
  EXPECT_FALSE(Write(kSprite, std::nullopt, std::nullopt, 1));
  files.files[kSpriteFile] = demogame::BuildMonsterFileFromRuns({{{{0xFF, 5}, 10}}});
  files.forcedResults[kSpriteFile] = -1;
  EXPECT_FALSE(Write(kSprite, std::nullopt, std::nullopt, 1));
}

// 127 transparent pixels a byte: a few bytes of runs stand for a huge frame.
TEST_F(MonsterImageTest, FramesBeyondThePixelCapDoNotDecode) {
  const std::size_t fullRuns = kMaxFramePixels / 127;
  Bytes runs(fullRuns, 0x7F);
  runs.push_back(static_cast<std::uint8_t>(kMaxFramePixels - 127 * fullRuns));  // exactly the cap
  const auto atCap = WriteRuns(runs, 4096);
  ASSERT_TRUE(atCap);
  EXPECT_EQ(atCap->size(), kMaxFramePixels);
  runs.push_back(0x01);  // one pixel more
  EXPECT_FALSE(WriteRuns(runs, 1));
  EXPECT_FALSE(WriteRuns(Bytes(std::size_t{8} << 20, 0x7F), 128));  // 128 x 8,323,072 pixels
}

// Each way a picture fails says why, from its own data; a sprite file read once keeps its cause
// for the next picture that uses it.
TEST_F(MonsterImageTest, EachFailureSaysWhy) {
  const auto problem = [this](const std::optional<std::string>& own, const std::optional<std::string>& boss,
                              std::uint32_t width) {
    const EncodedPicture picture = testkit::MonsterPicture(files, png, kSprite, own, boss, width);
    EXPECT_NE(picture.outcome, EncodedPicture::Outcome::Encoded);
    return picture.detail;
  };
  const std::string file = kSpriteFile;
  EXPECT_EQ(problem(std::nullopt, std::nullopt, 1), "the sprite file " + file + " is in neither archive or cannot be read");
  files.files[kSpriteFile] = demogame::BuildMonsterFileFromRuns({{{{0xFF, 5, 0xFF}, 10}}});
  files.forcedResults[kSpriteFile] = -1;
  EXPECT_EQ(problem(std::nullopt, std::nullopt, 1), "the sprite file " + file + " is too large to read");
  files.forcedResults.clear();
  EXPECT_EQ(problem("absent.trn", std::nullopt, 1),
            "the colour table absent.trn is in neither archive or is not 256 bytes long");
  EXPECT_EQ(problem(std::nullopt, "Absent", 1),
            "the colour table CF\\MD\\Absent.trn (or CF\\SD\\Absent.trn) is in neither archive or is not 256 bytes long");
  EXPECT_EQ(problem(std::nullopt, std::nullopt, 1), "frame 0 of " + file + " cannot be decoded");
  files.files[kSpriteFile] = Bytes{4, 0, 0};
  EXPECT_EQ(problem(std::nullopt, std::nullopt, 1), "the sprite file " + file + " holds no frame 0 with pixels");
  files.files[kSpriteFile] = demogame::BuildMonsterFileFromRuns({{{Bytes(std::size_t{8} << 20, 0x7F), 10}}});
  EXPECT_EQ(problem(std::nullopt, std::nullopt, 1), "frame 0 of " + file + " has more than 16777216 pixels");
  files.files[kSpriteFile] = demogame::BuildMonsterFileFromRuns({{{{0xFC, 1, 2, 3, 4}, 10}}});
  EXPECT_EQ(problem(std::nullopt, std::nullopt, 3), "frame 0 of " + file + " (4 pixels) does not divide into rows of 3 pixels");

  MonsterFrameReader reader(files);
  files.files[kSpriteFile] = demogame::BuildMonsterFileFromRuns({{{{0xFF, 5, 0xFF}, 10}}});
  files.requests.clear();
  for (int use = 0; use < 2; ++use) {
    EXPECT_EQ(reader.Read(kSprite, std::nullopt, std::nullopt, 1).problem, "frame 0 of " + file + " cannot be decoded");
  }
  EXPECT_EQ(files.requests, std::vector<std::string>{kSpriteFile});
}

TEST(MonsterRunEncoderTest, ChoosesAmongTheRunKinds) {
  Bytes pixels = Concat(Repeat(130, 255), Repeat(70, 4));
  pixels = Concat(pixels, {1, 2, 3, 3});
  EXPECT_EQ(demogame::EncodeMonsterRuns(pixels),
            (Bytes{0x7F, 0x03, 0x80, 4, 0xB8, 4, 0xFC, 1, 2, 3, 3}));
}

}  // namespace
}  // namespace gvde
