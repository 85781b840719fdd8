// A damaged GV.exe of the demo game: cut short at several lengths, and single bytes changed
// inside its tables and its headers. Every run ends cleanly, and with "Done" only when the
// site is complete.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "demogame/demo_game.h"
#include "demogame/dice.h"
#include "game/affix_records.h"
#include "game/executable.h"
#include "testkit/temp_dir.h"
#include "testkit/whole_run.h"

namespace gvde::adversarial {
namespace {

using Bytes = std::vector<std::uint8_t>;
using demogame::Dice;
using testkit::EndedDone;
using testkit::EndedWithError;
using testkit::EndsCleanly;
using testkit::LoadDemoConfiguration;
using testkit::ReadFileText;
using testkit::RunExtraction;
using testkit::RunRecord;
using testkit::SiteIsComplete;
using testkit::TempDir;

std::uint32_t U32At(const Bytes& bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
         static_cast<std::uint32_t>(bytes[at + 2]) << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

std::uint16_t U16At(const Bytes& bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

class DamagedDemoExe : public ::testing::Test {
 public:
  static void SetUpTestSuite() {
    scratch_ = new TempDir;
    ASSERT_TRUE(demogame::WriteDemoGame(scratch_->path(), demogame::DemoOptions{}, &summary_));
    configuration_ = new Configuration(LoadDemoConfiguration(scratch_->path()));
    const std::string exe = ReadFileText(ExePath());
    original_ = new Bytes(exe.begin(), exe.end());

    const std::unique_ptr<executable> image = executable::Create(ExePath());
    ASSERT_EQ(image->status, kExeOk);
    const TableAddresses& a = configuration_->addresses;
    for (std::uint32_t va : {a.itemTable, a.uniqueTable, a.monsterTable, a.bossTable, a.affixTable})
      ASSERT_TRUE(image->VAToPointer(va).has_value());
    itemStart_ = *image->VAToPointer(a.itemTable);
    affixStart_ = *image->VAToPointer(a.affixTable);
  }

  static void TearDownTestSuite() {
    delete original_;
    delete configuration_;
    delete scratch_;
  }

  void SetUp() override { ASSERT_TRUE(original_ != nullptr && itemStart_ != 0) << "no demo game to damage"; }
  void TearDown() override {
    if (original_ != nullptr) {
      EXPECT_TRUE(WriteExe(*original_));
    }
  }

  static std::string ExePath() { return scratch_->File("game/GV.exe"); }
  static bool WriteExe(const Bytes& bytes) {
    return testkit::WriteFileText(ExePath(), std::string(bytes.begin(), bytes.end()));
  }

  static const Bytes& Original() { return *original_; }
  static std::string SiteDir() { return scratch_->File("site"); }

  // One whole run on `exe` into a fresh output folder.
  RunRecord RunOn(const Bytes& exe) {
    EXPECT_TRUE(WriteExe(exe));
    return RunExtraction(scratch_->File("game"), scratch_->FreshSubdir("site"), *configuration_);
  }
  static std::string Output(const std::string& name) { return scratch_->File("site/" + name); }

  // Where the section table ends: the loader needs every byte up to here.
  static std::uint32_t HeaderEnd() {
    const std::uint32_t coff = U32At(*original_, 0x3C) + 4;
    return coff + 116 + 8 * U32At(*original_, coff + 112) + 40u * U16At(*original_, coff + 2);
  }
  // The five tables lie one after the other, the affix table last.
  static std::uint32_t TablesEnd() {
    return affixStart_ + (summary_.prefixes + summary_.suffixes + 2) * kAffixRecordSize;
  }

  static TempDir* scratch_;
  static demogame::DemoSummary summary_;
  static Configuration* configuration_;
  static Bytes* original_;
  static std::uint32_t itemStart_;
  static std::uint32_t affixStart_;
};

TempDir* DamagedDemoExe::scratch_ = nullptr;
demogame::DemoSummary DamagedDemoExe::summary_;
Configuration* DamagedDemoExe::configuration_ = nullptr;
Bytes* DamagedDemoExe::original_ = nullptr;
std::uint32_t DamagedDemoExe::itemStart_ = 0;
std::uint32_t DamagedDemoExe::affixStart_ = 0;

TEST_F(DamagedDemoExe, CutShortItGivesOneMessageOrACompleteSite) {
  constexpr const char* kCannotOpen = "Cannot open GV.exe file";
  constexpr const char* kIncorrect = "Incorrect addresses";
  const std::uint32_t affix = kAffixRecordSize;
  struct Cut {
    std::uint32_t length;
    const char* error;           // nullptr: the run completes
    std::uint32_t prefixes = 0;  // pages the completed run writes
    std::uint32_t suffixes = 0;
  };
  const Cut cuts[] = {
      {0, kCannotOpen},
      {1, kCannotOpen},
      {63, kCannotOpen},
      {U32At(*original_, 0x3C) + 119, kCannotOpen},  // signature and fixed headers need 120 bytes
      {HeaderEnd() - 1, kCannotOpen},
      // The loader does not need section data; table starts past the end do not translate.
      {HeaderEnd(), kIncorrect},
      {itemStart_ + 100, kIncorrect},
      {affixStart_, kIncorrect},
      // Cut inside the affix table: the prefixes run to the end of the file unterminated.
      {affixStart_ + 10 * affix + 7, nullptr, 10, 0},
      {affixStart_ + (summary_.prefixes + 1 + 3) * affix, nullptr, summary_.prefixes, 3},
      {TablesEnd(), nullptr, summary_.prefixes, summary_.suffixes},
      {static_cast<std::uint32_t>(original_->size() - 1), nullptr, summary_.prefixes, summary_.suffixes},
  };
  for (const Cut& cut : cuts) {
    SCOPED_TRACE("GV.exe cut to " + std::to_string(cut.length) + " bytes");
    const RunRecord run = RunOn(Bytes(original_->begin(), original_->begin() + cut.length));
    if (cut.error != nullptr) {
      EXPECT_TRUE(EndedWithError(run, cut.error));
      continue;
    }
    ASSERT_TRUE(EndedDone(run));
    EXPECT_TRUE(SiteIsComplete(scratch_->File("site")));
    const std::string lastPrefix = "data/p" + std::to_string(cut.prefixes - 1) + ".htm";
    EXPECT_TRUE(testkit::FileExists(Output(lastPrefix))) << lastPrefix;
    EXPECT_FALSE(testkit::FileExists(Output("data/p" + std::to_string(cut.prefixes) + ".htm")));
    EXPECT_EQ(testkit::FileExists(Output("data/s0.htm")), cut.suffixes > 0);
    EXPECT_FALSE(testkit::FileExists(Output("data/s" + std::to_string(cut.suffixes) + ".htm")));
  }
}

// GVDE_ADVERSARIAL_CHANGES multiplies the number of changes, for a longer campaign.
int ChangeCount(int usual) {
  const char* text = std::getenv("GVDE_ADVERSARIAL_CHANGES");
  const int factor = text != nullptr ? std::atoi(text) : 0;
  return usual * (factor > 0 ? factor : 1);
}

// Runs on `changes` copies of GV.exe, each with one byte in [begin, end) changed; stops at the
// first run that ends badly. Returns how many runs completed.
int RunChangedCopies(DamagedDemoExe& test, std::uint32_t begin, std::uint32_t end, int changes,
                     std::uint32_t seed) {
  Dice dice(seed);
  int completed = 0;
  for (int i = 0; i < changes; ++i) {
    Bytes exe = test.Original();
    const std::uint32_t offset = begin + dice.Next() % (end - begin);
    const auto value = static_cast<std::uint8_t>(exe[offset] ^ (1 + dice.Next() % 255));
    exe[offset] = value;
    const std::string change =
        "byte at file offset " + std::to_string(offset) + " set to " + std::to_string(value);
    const RunRecord run = test.RunOn(exe);
    const ::testing::AssertionResult clean = EndsCleanly(run);
    if (!clean) {
      ADD_FAILURE() << change << ": " << clean.message();
      break;
    }
    if (!run.done) continue;
    ++completed;
    const ::testing::AssertionResult complete = SiteIsComplete(test.SiteDir());
    if (!complete) {
      ADD_FAILURE() << change << ": " << complete.message();
      break;
    }
  }
  return completed;
}

TEST_F(DamagedDemoExe, ChangedTableBytesEndCleanly) {
  const int changes = ChangeCount(48);
  const int completed = RunChangedCopies(*this, itemStart_, TablesEnd(), changes, 7);
  // Most single changes leave tables that can still be listed.
  EXPECT_GT(completed, changes / 2);
}

TEST_F(DamagedDemoExe, ChangedHeaderBytesEndCleanly) {
  RunChangedCopies(*this, 0, HeaderEnd(), ChangeCount(24), 11);
}

}  // namespace
}  // namespace gvde::adversarial
