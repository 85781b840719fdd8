// Whole runs on tables and texts that reach the edges of the file or of their section:
// tables without a terminator, strings without a zero byte, addresses in a section's tail.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "testkit/expected_page.h"
#include "testkit/mini_game.h"
#include "testkit/temp_dir.h"

namespace gvde::adversarial {
namespace {

using Bytes = std::vector<std::uint8_t>;
using demogame::PeSection;
using testkit::EndedDone;
using testkit::EndedWithError;
using testkit::MiniGame;
using testkit::MiniTables;
using testkit::ReadFileText;
using testkit::RunRecord;
using testkit::SiteIsComplete;
using testkit::Unterminated;

const std::string& kHead = testkit::kExpectedPageHead;

bool StartsWith(const std::string& text, const std::string& start) { return text.rfind(start, 0) == 0; }

TEST(TableEnds, TheSmallGameCompletes) {
  MiniGame game;
  game.AddTables(game.Ordinary());
  const RunRecord run = game.Run();
  ASSERT_TRUE(EndedDone(run));
  EXPECT_TRUE(SiteIsComplete(game.OutputDir()));
  for (const char* page :
       {"i1.htm", "u0.htm", "m1.htm", "b1.htm", "p1.htm", "s0.htm", "m0.png", "b1.png", "i0.png"})
    EXPECT_TRUE(game.Has(page)) << page;
  EXPECT_TRUE(StartsWith(game.Page("i0.htm"), kHead + "<h3>0: Short Sword, "));
}

TEST(TableEnds, TheCompletenessCheckNoticesMissingPages) {
  MiniGame game;
  game.AddTables(game.Ordinary());
  ASSERT_TRUE(EndedDone(game.Run()));
  ASSERT_TRUE(SiteIsComplete(game.OutputDir()));
  std::filesystem::remove(game.OutputDir() + "/data/i1.htm");  // linked from the lists only
  EXPECT_FALSE(SiteIsComplete(game.OutputDir()));
  ASSERT_TRUE(EndedDone(game.Run()));
  std::filesystem::remove(game.OutputDir() + "/data/ml1.htm");
  EXPECT_FALSE(SiteIsComplete(game.OutputDir()));
}

TEST(TableEnds, EveryTableEmpty) {
  MiniGame game;
  game.AddTables(MiniTables{});
  const RunRecord run = game.Run();
  ASSERT_TRUE(EndedDone(run));
  EXPECT_TRUE(SiteIsComplete(game.OutputDir()));
  for (const char* page : {"i.htm", "u.htm", "m.htm", "b.htm", "p.htm", "s.htm"})
    EXPECT_TRUE(game.Has(page)) << page;
  for (const char* page : {"i0.htm", "in.htm", "u0.htm", "m0.htm", "b0.htm", "p0.htm", "s0.htm"})
    EXPECT_FALSE(game.Has(page)) << page;
}

TEST(TableEnds, ATableWithoutTerminatorEndsAtTheEndOfTheFile) {
  struct Case {
    Unterminated table;
    const char* prefix;
    std::uint32_t records;
    std::uint32_t recordSize;
  };
  const Case cases[] = {
      {Unterminated::Items, "i", 2, 76},     {Unterminated::Uniques, "u", 1, 84},
      {Unterminated::Monsters, "m", 2, 128}, {Unterminated::Bosses, "b", 2, 32},
      {Unterminated::Prefixes, "p", 2, 48},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.prefix);
    MiniGame game;
    game.AddTables(game.Ordinary(), c.table);
    const TableAddresses& a = game.configuration.addresses;
    const std::uint32_t start = c.table == Unterminated::Items      ? a.itemTable
                                : c.table == Unterminated::Uniques  ? a.uniqueTable
                                : c.table == Unterminated::Monsters ? a.monsterTable
                                : c.table == Unterminated::Bosses   ? a.bossTable
                                                                    : a.affixTable;
    ASSERT_EQ(game.pe.Build().size(), game.pe.FileOffsetOf(start) + c.records * c.recordSize);

    const RunRecord run = game.Run();
    ASSERT_TRUE(EndedDone(run));
    EXPECT_TRUE(SiteIsComplete(game.OutputDir()));
    const std::string last = c.prefix + std::to_string(c.records - 1) + ".htm";
    EXPECT_TRUE(game.Has(last)) << last;
    EXPECT_FALSE(game.Has(c.prefix + std::to_string(c.records) + ".htm"));
  }
}

TEST(TableEnds, PrefixesWithoutTerminatorLeaveNoSuffixes) {
  MiniGame game;
  game.AddTables(game.Ordinary(), Unterminated::Prefixes);
  ASSERT_TRUE(EndedDone(game.Run()));
  EXPECT_TRUE(game.Has("p1.htm"));
  EXPECT_EQ(game.Page("s.htm"),
            kHead +
                "Suffixes<br><a href=\"sa.htm\" target=\"nav\">All (alphabetic)</a><br>"
                "<a href=\"sn.htm\" target=\"nav\">All (numeric)</a><hr><hr><hr><hr></body></html>");
  EXPECT_FALSE(game.Has("s0.htm"));
  EXPECT_FALSE(game.Has("sn.htm"));
}

TEST(TableEnds, ALastRecordCutShortIsNotRead) {
  MiniGame game;
  game.AddTables(game.Ordinary(), Unterminated::Items);
  Bytes exe = game.pe.Build();
  exe.resize(exe.size() - 10);  // the loader does not need the rest of the data section
  ASSERT_TRUE(EndedDone(game.RunExe(exe)));
  EXPECT_TRUE(SiteIsComplete(game.OutputDir()));
  EXPECT_TRUE(game.Has("i0.htm"));
  EXPECT_FALSE(game.Has("i1.htm"));
}

TEST(TableEnds, StringsEndAtTheEndOfTheFile) {
  MiniGame game;
  game.AddTables(game.Ordinary());
  const TableAddresses& a = game.configuration.addresses;
  const std::uint32_t zed = game.AddAtSectionEnd({'Z', 'e', 'd'});  // no zero byte after it
  ASSERT_EQ(game.pe.Build().size(), game.pe.FileOffsetOf(zed) + 3);
  game.pe.PatchU32(a.itemTable + 0x10, zed);
  game.pe.PatchU32(a.affixTable, zed + 2);  // the file's very last byte
  game.configuration.addresses.title = zed + 2;

  ASSERT_TRUE(EndedDone(game.Run()));
  EXPECT_TRUE(SiteIsComplete(game.OutputDir()));
  EXPECT_TRUE(StartsWith(game.Page("i0.htm"), kHead + "<h3>0: Zed, "));
  EXPECT_TRUE(StartsWith(game.Page("p0.htm"), kHead + "<h3>0: d, "));
  EXPECT_TRUE(game.Has("ic90.htm"));   // 'Z'
  EXPECT_TRUE(game.Has("pc100.htm"));  // 'd'
  EXPECT_NE(ReadFileText(game.OutputDir() + "/index.htm").find("<p>Correct for<br>d</p>"), std::string::npos);
}

TEST(TableEnds, AStringAtTheLastByteOfASectionGoesOnIntoTheNextSectionsBytes) {
  MiniGame game;
  game.AddTables(game.Ordinary());
  const TableAddresses& a = game.configuration.addresses;
  const std::uint32_t ab = game.AddAtSectionEnd({'A', 'b'});
  PeSection rdata;
  rdata.name = ".rdata";
  rdata.characteristics = 0x40000040;
  rdata.data = {'c', 'd', 0, 'x'};
  game.pe.sections.push_back(rdata);
  game.pe.PatchU32(a.itemTable + 0x10, ab);
  game.pe.PatchU32(a.itemTable + 76 + 0x10, ab + 1);  // the section's last byte

  ASSERT_TRUE(EndedDone(game.Run()));
  EXPECT_TRUE(SiteIsComplete(game.OutputDir()));
  EXPECT_TRUE(StartsWith(game.Page("i0.htm"), kHead + "<h3>0: Abcd, "));
  EXPECT_TRUE(StartsWith(game.Page("i1.htm"), kHead + "<h3>1: bcd, "));
}

// Section 0's raw data ends at a file block; its virtual size goes two pages further. The
// tail has no bytes in the file: its addresses give no data, although the file goes on with
// the next section's bytes.
class SectionTail : public ::testing::Test {
 protected:
  void SetUp() override {
    game_.AddTables(game_.Ordinary());
    // Item records for a table that lies in the next section, named in section 0.
    demogame::ItemSpec axe;
    axe.name = "Tail Axe";
    axe.level = 4;
    demogame::ItemSpec end;
    end.name = "Never Read";
    end.endMarker = 0x78787878;
    tailItems_ = demogame::EncodeItemRecord(axe, game_.pe);
    const Bytes terminator = demogame::EncodeItemRecord(end, game_.pe);
    tailItems_.insert(tailItems_.end(), terminator.begin(), terminator.end());
    game_.AddAtSectionEnd({'!'});

    const demogame::PeSectionLayout data = game_.pe.Layout().at(0);
    tailStart_ = game_.pe.imageBase + data.virtualAddress + data.sizeOfRawData;
    game_.pe.sections[0].virtualSize = data.sizeOfRawData + 0x2000;
  }

  // The next section: "Tail" at offset 3, then the item table at 0x10.
  void AddNextSection(std::uint32_t virtualSize = 0) {
    PeSection next;
    next.name = ".rdata";
    next.characteristics = 0x40000040;
    next.data = {'x', 'y', 0, 'T', 'a', 'i', 'l', 0};
    next.data.resize(0x10, 0);
    next.data.insert(next.data.end(), tailItems_.begin(), tailItems_.end());
    next.virtualSize = virtualSize;
    game_.pe.sections.push_back(next);
  }

  std::uint32_t NextSectionVa() const { return game_.pe.imageBase + game_.pe.Layout().at(1).virtualAddress; }

  MiniGame game_;
  Bytes tailItems_;
  std::uint32_t tailStart_ = 0;
};

TEST_F(SectionTail, NamesTitleAndTableStartsInTheTailGiveNoData) {
  AddNextSection();
  TableAddresses& a = game_.configuration.addresses;
  game_.pe.PatchU32(a.affixTable, tailStart_ + 3);            // the file offset of "Tail"
  game_.pe.PatchU32(a.affixTable + 48, NextSectionVa() + 3);  // "Tail" by its own address
  a.title = tailStart_ + 3;

  ASSERT_TRUE(EndedDone(game_.Run()));
  EXPECT_TRUE(SiteIsComplete(game_.OutputDir()));
  EXPECT_TRUE(StartsWith(game_.Page("p0.htm"), kHead + "<h3>0: , "));
  EXPECT_TRUE(StartsWith(game_.Page("p1.htm"), kHead + "<h3>1: Tail, "));
  EXPECT_NE(ReadFileText(game_.OutputDir() + "/index.htm").find("<p>Correct for<br>&lt;NO STRING&gt;</p>"),
            std::string::npos);

  a.itemTable = tailStart_ + 0x10;
  EXPECT_TRUE(EndedWithError(game_.Run(), "Incorrect addresses"));
  a.itemTable = NextSectionVa() + 0x10;
  ASSERT_TRUE(EndedDone(game_.Run()));
  EXPECT_TRUE(StartsWith(game_.Page("i0.htm"), kHead + "<h3>0: Tail Axe, "));
}

TEST_F(SectionTail, TailAddressesPastTheEndOfTheFileGiveNoData) {
  AddNextSection(0x3000);  // the last section's tail lies past the end of the file
  const std::uint32_t beyond = NextSectionVa() + 0x1000;
  game_.pe.PatchU32(game_.configuration.addresses.affixTable, beyond);
  game_.configuration.addresses.title = beyond;

  ASSERT_TRUE(EndedDone(game_.Run()));
  EXPECT_TRUE(SiteIsComplete(game_.OutputDir()));
  EXPECT_TRUE(StartsWith(game_.Page("p0.htm"), kHead + "<h3>0: , "));
  EXPECT_NE(ReadFileText(game_.OutputDir() + "/index.htm").find("<p>Correct for<br>&lt;NO STRING&gt;</p>"),
            std::string::npos);

  game_.configuration.addresses.affixTable = beyond;
  EXPECT_TRUE(EndedWithError(game_.Run(), "Incorrect addresses"));
}

TEST_F(SectionTail, ASectionWithoutRawDataGivesNoData) {
  AddNextSection();
  PeSection bss;
  bss.name = ".bss";
  bss.characteristics = 0xC0000080;
  bss.virtualSize = 0x1000;
  game_.pe.sections.push_back(bss);
  const std::uint32_t bssVa = game_.pe.imageBase + game_.pe.Layout().at(2).virtualAddress;
  game_.pe.PatchU32(game_.configuration.addresses.affixTable, bssVa);  // not the file's "MZ"

  ASSERT_TRUE(EndedDone(game_.Run()));
  EXPECT_TRUE(StartsWith(game_.Page("p0.htm"), kHead + "<h3>0: , "));
}

}  // namespace
}  // namespace gvde::adversarial
