// The table finder: on every layout of the demo game it proposes the addresses the generator
// used; on programs that hold no game tables it is confident of none. And the readable-text
// map under it agrees with the text test at every offset.
#include "game/table_finder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "demogame/demo_game.h"
#include "demogame/dice.h"
#include "demogame/pe_builder.h"
#include "game/readable_text.h"
#include "testkit/built_image.h"
#include "testkit/temp_dir.h"

namespace gvde {
namespace {

using demogame::DemoLayout;

void ExpectNothingConfident(const FoundAddresses& found, const std::string& what) {
  for (const TableKey key : kTableKeys) EXPECT_FALSE(found.Of(key).confident) << what << " " << KeyName(key);
  EXPECT_FALSE(found.AllConfident()) << what;
}

TEST(TableFinderTest, ProposesTheGeneratorsAddressesOnEveryLayoutAndScale) {
  for (const DemoLayout layout : {DemoLayout::Standard, DemoLayout::Shuffled}) {
    for (const std::uint32_t scale : {1u, 2u, 5u}) {
      const std::string what = "layout " + std::to_string(static_cast<int>(layout)) + " scale " + std::to_string(scale);
      testkit::TempDir dir;
      demogame::DemoSummary summary;
      ASSERT_TRUE(demogame::WriteDemoGame(dir.path(), {scale, layout}, &summary)) << what;
      const std::unique_ptr<executable> exe = executable::Create(dir.File("game/GV.exe"));
      ASSERT_EQ(exe->status, kExeOk) << what;
      const FoundAddresses found = FindTableAddresses(*exe);
      for (const TableKey key : kTableKeys) {
        const TableFinding& finding = found.Of(key);
        ASSERT_FALSE(finding.candidates.empty()) << what << " " << KeyName(key);
        EXPECT_EQ(finding.candidates.front().address, AddressOf(summary.addresses, key)) << what << " " << KeyName(key);
        EXPECT_TRUE(finding.confident) << what << " " << KeyName(key);
      }
      EXPECT_TRUE(found.AllConfident()) << what;
      EXPECT_EQ(found.titles.front().address, summary.addresses.title) << what;
      EXPECT_EQ(found.titles.front().text, summary.title) << what;
      if (layout == DemoLayout::Shuffled) {
        // The decoy item table is found, and kept apart from the real one.
        EXPECT_GE(found.Of(TableKey::Item).candidates.size(), 2u) << what;
      }
    }
  }
}

// Random bytes with texts, addresses of texts and end markers strewn among them: every piece a
// table is made of, but never in the shape of one.
TEST(TableFinderTest, IsConfidentOfNoTableInAProgramOfUnrelatedBytes) {
  demogame::PeBuilder pe;
  demogame::Dice dice(1234);
  std::vector<std::uint32_t> texts;
  for (int i = 0; i < 300; ++i) texts.push_back(pe.AddString("Name " + std::to_string(i)));
  std::vector<std::uint8_t> bytes(256 * 1024);
  static constexpr std::uint32_t kMarkers[] = {0x78787878, 0x52525252, 0xFFFFFFFF, 0};
  for (std::size_t at = 0; at + 4 <= bytes.size(); at += 4) {
    const std::uint32_t pick = dice.Below(8);
    const std::uint32_t word = pick < 3 ? texts[dice.Below(300)] : pick < 5 ? kMarkers[dice.Below(4)] : dice.Next();
    demogame::PutU32(bytes, at, word);
  }
  pe.AddData(bytes);
  testkit::TempDir dir;
  const std::unique_ptr<executable> exe = testkit::LoadBuiltImage(pe, dir.File("GV.exe"));
  ASSERT_EQ(exe->status, kExeOk);
  const FoundAddresses found = FindTableAddresses(*exe);
  ExpectNothingConfident(found, "random bytes");
  ASSERT_FALSE(found.titles.empty());
  EXPECT_NE(found.titles.front().address, 0u);  // a Title is proposed all the same
}

// The 32-bit Windows libraries of the MinGW packages (scripts/setup --tests installs them).
TEST(TableFinderTest, IsConfidentOfNoTableInTheMinGwLibraries) {
  std::vector<std::filesystem::path> libraries;
  for (const char* folder : {"/usr/lib/gcc/i686-w64-mingw32", "/usr/i686-w64-mingw32/lib"}) {
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
      if (it->path().extension() == ".dll" && it->file_size() < kMaxExecutableFileSize) libraries.push_back(it->path());
    }
  }
  if (libraries.empty()) GTEST_SKIP() << "no 32-bit MinGW libraries installed";
  for (const std::filesystem::path& library : libraries) {
    const std::unique_ptr<executable> exe = executable::Create(library.string());
    ASSERT_EQ(exe->status, kExeOk) << library;
    ExpectNothingConfident(FindTableAddresses(*exe), library.string());
  }
}

TEST(ReadableTextTest, NamesAPersonCanRead) {
  EXPECT_TRUE(IsReadableText("Short Sword"));
  EXPECT_TRUE(IsReadableText("Gl\xFC" "ck 2"));  // Windows-1252 letters are letters
  EXPECT_TRUE(IsReadableText("x"));
  EXPECT_TRUE(IsReadableText(std::string(kMaxReadableText, 'a')));
  EXPECT_FALSE(IsReadableText(""));
  EXPECT_FALSE(IsReadableText("1234 -"));  // no letter
  EXPECT_FALSE(IsReadableText("Tab\there"));
  EXPECT_FALSE(IsReadableText("Del\x7F"));
  EXPECT_FALSE(IsReadableText(std::string(kMaxReadableText + 1, 'a')));
}

TEST(ReadableTextTest, MapAgreesWithTheTextTestAtEveryOffset) {
  demogame::Dice dice(99);
  std::vector<std::uint8_t> bytes;
  static constexpr std::uint8_t kPieces[] = {0, 'a', 'Z', ' ', '7', 0x09, 0x7F, 0xE9, 0x80};
  while (bytes.size() < 5000) {
    // Now and then a long run of letters, to cross the length limit.
    const std::uint32_t run = dice.Below(40) == 0 ? kMaxReadableText - 2 + dice.Below(5) : 1;
    bytes.insert(bytes.end(), run, kPieces[dice.Below(sizeof kPieces)]);
  }
  bytes.insert(bytes.end(), {'e', 'n', 'd'});  // no zero after it: not a text
  const ReadableTextMap map{ByteReader(bytes)};
  for (std::size_t at = 0; at < bytes.size(); ++at) {
    std::size_t zero = at;
    while (zero < bytes.size() && bytes[zero] != 0) ++zero;
    const std::string text(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin() + static_cast<std::ptrdiff_t>(zero));
    EXPECT_EQ(map.At(at), zero < bytes.size() && IsReadableText(text)) << at;
  }
  EXPECT_FALSE(map.At(bytes.size()));
}

TEST(VersionTextTest, AVersionNumberAndTheGamesNameWeighMost) {
  EXPECT_GT(VersionTextScore("Grimveil v1.09b"), VersionTextScore("Packer 2.1 tools"));
  EXPECT_GT(VersionTextScore("Packer 2.1 tools"), VersionTextScore("Short Sword"));
  EXPECT_EQ(VersionTextScore("Axe"), 0u);  // too short to be taken for it
  EXPECT_TRUE(LooksLikeVersionText("Version V2"));
  EXPECT_TRUE(LooksLikeVersionText("release 1.0"));
  EXPECT_FALSE(LooksLikeVersionText("Grimveil"));
  EXPECT_FALSE(LooksLikeVersionText("dev2 build"));  // a v inside a word
}

}  // namespace
}  // namespace gvde
