// A damaged sprite file that four monsters share and on which the archive library hangs: it
// costs the pictures that use it and one wait, the run goes on, and the first of its questions
// says what happened.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "demogame/sprite_encoders.h"
#include "testkit/mini_game.h"
#include "testkit/mpq_damage.h"

namespace gvde::adversarial {
namespace {

using testkit::EndedDone;
using testkit::MiniArchiveFiles;
using testkit::MiniGame;
using testkit::RunRecord;

constexpr char kDamagedSprite[] = "monsters\\mini\\minia.anm";

// The bytes of data\bzip2.bin of the fuzz corpus: stored with bzip2, its byte 71 changed from
// 0x35 to 0x32 makes the library's decompression loop forever
// (fuzz/regressions/archives/bzip2_decompression_hang).
std::vector<std::uint8_t> HangingContent() {
  std::vector<std::uint8_t> bytes(900);
  for (std::size_t k = 0; k < bytes.size(); ++k)
    bytes[k] = static_cast<std::uint8_t>((k * 7 + 6) % 13 + k / 64);
  return bytes;
}
constexpr std::size_t kHangingByte = 71;

TEST(ReaderFailure, SharedSpriteThatHangsTheReaderCostsOnlyItsPicturesAndOneWait) {
  const demogame::SpritePicture frame{MiniGame::kSpriteWidth, 2, {1, 2, 3, 4, 5, 6, 7, 255}};
  MiniArchiveFiles files;
  files.sprite = HangingContent();
  files.spriteStorage = demogame::MpqFile::Storage::Bzip2;
  files.more = {{"monsters\\well\\wella.anm", demogame::BuildMonsterFile({{frame, frame}})}};
  MiniGame game(files);
  game.workerWaitLimit = std::chrono::seconds(2);
  const std::string archive = game.GameDir() + "/kelddat.mpq";
  const std::optional<std::uint64_t> stored = testkit::StoredFileOffset(archive, kDamagedSprite);
  ASSERT_TRUE(stored.has_value());
  ASSERT_EQ(testkit::ReadFileText(archive).at(*stored + kHangingByte), 0x35);
  ASSERT_TRUE(testkit::PatchFile(archive, *stored + kHangingByte, {0x32}));

  testkit::MiniTables tables = game.Ordinary();
  tables.monsters = {game.Monster("Rotter"), game.Monster("Imp"), game.Monster("Ghoul"),
                     game.Monster("Wight")};
  const std::uint32_t wellSprite = game.pe.AddString("monsters\\well\\well%c.anm");
  for (const char* name : {"Hound", "Bat"}) {
    tables.monsters.push_back(game.Monster(name));
    tables.monsters.back().animationFile = wellSprite;
  }
  tables.bosses = {game.Boss("Vulmar", 0), game.Boss("Oskra", 5)};
  game.AddTables(tables);

  const auto start = std::chrono::steady_clock::now();
  const RunRecord run = game.Run();
  const auto took = std::chrono::steady_clock::now() - start;
  ASSERT_TRUE(EndedDone(run));
  const std::vector<std::string> questions = {
      "Cannot write an image for monster #0. Exit?", "Cannot write an image for monster #1. Exit?",
      "Cannot write an image for monster #2. Exit?", "Cannot write an image for monster #3. Exit?",
      "Cannot write an image for boss #0. Exit?"};
  EXPECT_EQ(game.host.Questions(), questions);
  // The reader's failure is told once; the pictures after it say that the file cannot be read.
  const std::string unread = "the sprite file monsters\\mini\\minia.anm is in neither archive or cannot be read";
  const std::vector<std::string> details = {
      "the archive reader did not answer within 2 s while reading monsters\\mini\\minia.anm", unread, unread, unread,
      unread};
  EXPECT_EQ(game.host.QuestionDetails(), details);
  for (const char* written : {"m4.png", "m5.png", "b1.png", "i0.png"})
    EXPECT_TRUE(game.Has(written)) << written;
  // One wait of 2 s, not one per picture.
  EXPECT_LT(took, std::chrono::seconds(6));
}

}  // namespace
}  // namespace gvde::adversarial
