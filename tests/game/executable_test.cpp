#include "game/executable.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "demogame/pe_builder.h"
#include "game/executable_internal.h"
#include "testkit/temp_dir.h"

namespace gvde {
namespace {

using demogame::PeBuilder;
using demogame::PeSection;
using demogame::PutU16;
using demogame::PutU32;

std::uint32_t Get32(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  return static_cast<std::uint32_t>(bytes[offset]) | (static_cast<std::uint32_t>(bytes[offset + 1]) << 8) |
         (static_cast<std::uint32_t>(bytes[offset + 2]) << 16) |
         (static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
}

class ExecutableTest : public ::testing::Test {
 protected:
  std::unique_ptr<executable> Load(const std::vector<std::uint8_t>& bytes) {
    return executable::FromBytes(bytes);
  }

  std::string WriteFile(const std::vector<std::uint8_t>& bytes) {
    const std::string path = dir_.File("GV.exe");
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
  }

  testkit::TempDir dir_;
};

// A builder whose data section holds a little text, plus a second section at
// RVA 0x2000.
PeBuilder TwoSections() {
  PeBuilder pe;
  pe.AddString("Short Sword");
  PeSection second;
  second.name = ".rdata";
  second.virtualAddress = 0x2000;
  second.data.assign(0x10, 0xAB);
  pe.sections.push_back(second);
  return pe;
}

struct StatusCase {
  const char* what;
  std::function<void(PeBuilder&)> setup;
  std::function<void(const PeBuilder&, std::vector<std::uint8_t>&)> patch;
  std::uint8_t status;
};

void NoPatch(const PeBuilder&, std::vector<std::uint8_t>&) {}
void NoSetup(PeBuilder&) {}

TEST_F(ExecutableTest, StatusOfMalformedImages) {
  const std::vector<StatusCase> cases = {
      {"valid", NoSetup, NoPatch, kExeOk},
      {"no MZ", NoSetup, [](const PeBuilder&, auto& b) { b[0] = 'Z'; }, kExeNoPeSignature},
      {"e_lfanew 63", NoSetup, [](const PeBuilder&, auto& b) { PutU32(b, 0x3C, 63); }, kExeNoPeSignature},
      {"e_lfanew 64", [](PeBuilder& pe) { pe.peHeaderOffset = 64; }, NoPatch, kExeOk},
      {"e_lfanew past the end", NoSetup,
       [](const PeBuilder&, auto& b) { PutU32(b, 0x3C, static_cast<std::uint32_t>(b.size()) - 119); },
       kExeNoPeSignature},
      {"no PE signature", NoSetup, [](const PeBuilder& pe, auto& b) { b[pe.peHeaderOffset + 3] = 1; },
       kExeNoPeSignature},
      {"SizeOfOptionalHeader", [](PeBuilder& pe) { pe.sizeOfOptionalHeaderOverride = 0xE8; }, NoPatch,
       kExeBadLayout},
      {"no sections", [](PeBuilder& pe) { pe.numberOfSectionsOverride = 0; }, NoPatch, kExeBadLayout},
      {"FileAlignment 256", [](PeBuilder& pe) { pe.fileAlignment = 256; }, NoPatch, kExeBadLayout},
      {"FileAlignment 512", [](PeBuilder& pe) { pe.fileAlignment = 512; }, NoPatch, kExeOk},
      {"FileAlignment 65536",
       [](PeBuilder& pe) {
         pe.fileAlignment = 65536;
         pe.sectionAlignment = 65536;
         pe.sections[0].virtualAddress = 0x10000;
       },
       NoPatch, kExeOk},
      {"FileAlignment 131072",
       [](PeBuilder& pe) {
         pe.fileAlignment = 131072;
         pe.sectionAlignment = 131072;
         pe.sections[0].virtualAddress = 0x20000;
       },
       NoPatch, kExeBadLayout},
      {"FileAlignment above SectionAlignment",
       [](PeBuilder& pe) {
         pe.fileAlignment = 0x1000;
         pe.sectionAlignment = 0x800;
       },
       NoPatch, kExeBadLayout},
      {"FileAlignment 0x300", [](PeBuilder& pe) { pe.fileAlignment = 0x300; }, NoPatch, kExeBadLayout},
      {"SectionAlignment 0x1800", [](PeBuilder& pe) { pe.sectionAlignment = 0x1800; }, NoPatch,
       kExeBadLayout},
      {"SizeOfHeaders one block too big",
       [](PeBuilder& pe) { pe.sizeOfHeadersOverride = pe.SizeOfHeaders() + 0x200; }, NoPatch, kExeBadLayout},
      {"SizeOfHeaders unrounded", [](PeBuilder& pe) { pe.sizeOfHeadersOverride = pe.HeaderEnd(); }, NoPatch,
       kExeBadLayout},
      {"machine x64", [](PeBuilder& pe) { pe.machine = 0x8664; }, NoPatch, kExeNotI386Image},
      {"not executable", [](PeBuilder& pe) { pe.characteristics = 0x0100; }, NoPatch, kExeNotI386Image},
      {"executable DLL", [](PeBuilder& pe) { pe.characteristics = 0x2102; }, NoPatch, kExeOk},
      {"PE32+ magic", [](PeBuilder& pe) { pe.magic = 0x020B; }, NoPatch, kExeNotI386Image},
      {"17 directories", [](PeBuilder& pe) { pe.numberOfRvaAndSizes = 17; }, NoPatch, kExeNotI386Image},
      {"no directories", [](PeBuilder& pe) { pe.numberOfRvaAndSizes = 0; }, NoPatch, kExeOk},
      {"alignment checked before machine",
       [](PeBuilder& pe) {
         pe.machine = 0x8664;
         pe.fileAlignment = 256;
       },
       NoPatch, kExeBadLayout},
  };
  for (const StatusCase& c : cases) {
    PeBuilder pe;
    pe.AddString("Short Sword");
    c.setup(pe);
    std::vector<std::uint8_t> bytes = pe.Build();
    c.patch(pe, bytes);
    const auto exe = Load(bytes);
    EXPECT_EQ(exe->status, c.status) << c.what;
    if (c.status != kExeOk) {
      EXPECT_FALSE(exe->Record(0, 1).Valid()) << c.what;
      EXPECT_EQ(exe->ReadString(0x401000), "<NO STRING>") << c.what;
    }
  }
}

TEST_F(ExecutableTest, StatusOfSectionLayouts) {
  const std::vector<StatusCase> cases = {
      {"touching virtual ranges", NoSetup, NoPatch, kExeOk},
      {"virtual ranges share one byte", [](PeBuilder& pe) { pe.sections[1].virtualAddress = 0x1FFF; },
       NoPatch, kExeBadLayout},
      {"VirtualSize rounded up into the next section",
       [](PeBuilder& pe) { pe.sections[0].virtualSize = 0x1001; }, NoPatch, kExeBadLayout},
      {"file ranges share one byte", NoSetup,
       [](const PeBuilder& pe, auto& b) { PutU32(b, pe.SectionHeaderOffset(1) + 20, 0x3FF); }, kExeBadLayout},
      {"SizeOfRawData rounded up into the next section", NoSetup,
       [](const PeBuilder& pe, auto& b) { PutU32(b, pe.SectionHeaderOffset(0) + 16, 0x201); }, kExeBadLayout},
      {"section data inside the headers", NoSetup,
       [](const PeBuilder& pe, auto& b) { PutU32(b, pe.SectionHeaderOffset(0) + 20, pe.HeaderEnd() - 1); },
       kExeBadLayout},
      {"section data right after the section table", NoSetup,
       [](const PeBuilder& pe, auto& b) { PutU32(b, pe.SectionHeaderOffset(0) + 20, pe.HeaderEnd()); },
       kExeOk},
      {"uninitialised section",
       [](PeBuilder& pe) {
         pe.sections[1].data.clear();
         pe.sections[1].characteristics = 0xC0000080;
         pe.sections[1].virtualSize = 0x10;
       },
       NoPatch, kExeOk},
      {"uninitialised section with VirtualSize 0",
       [](PeBuilder& pe) {
         pe.sections[1].data.clear();
         pe.sections[1].characteristics = 0xC0000080;
       },
       NoPatch, kExeBadLayout},
      {"no raw data without the uninitialised flag", NoSetup,
       [](const PeBuilder& pe, auto& b) {
         PutU32(b, pe.SectionHeaderOffset(1) + 16, 0);
         PutU32(b, pe.SectionHeaderOffset(1) + 20, 0);
       },
       kExeBadLayout},
      {"section table one byte past the end", NoSetup,
       [](const PeBuilder& pe, auto& b) { b.resize(pe.HeaderEnd() - 1); }, kExeTruncated},
      {"section table ends at the end, section data missing", NoSetup,
       [](const PeBuilder& pe, auto& b) { b.resize(pe.HeaderEnd()); }, kExeOk},
      {"machine checked before truncation", [](PeBuilder& pe) { pe.machine = 0x0200; },
       [](const PeBuilder& pe, auto& b) { b.resize(pe.HeaderEnd() - 1); }, kExeNotI386Image},
  };
  for (const StatusCase& c : cases) {
    PeBuilder pe = TwoSections();
    c.setup(pe);
    std::vector<std::uint8_t> bytes = pe.Build();
    c.patch(pe, bytes);
    EXPECT_EQ(Load(bytes)->status, c.status) << c.what;
  }
}

TEST_F(ExecutableTest, FilesThatCannotBeRead) {
  EXPECT_EQ(executable::Create("")->status, kExeCannotOpen);
  EXPECT_EQ(executable::Create(dir_.File("missing.exe"))->status, kExeCannotOpen);
  EXPECT_EQ(executable::Create(dir_.path())->status, kExeCannotOpen);
  EXPECT_EQ(executable::Create(WriteFile({}))->status, kExeTruncated);
  // Larger than any GV.exe: refused from its size, before anything is read.
  const std::string sparse = WriteFile(TwoSections().Build());
  std::filesystem::resize_file(sparse, kMaxExecutableFileSize + 1);
  EXPECT_EQ(executable::Create(sparse)->status, kExeCannotOpen);
  std::filesystem::resize_file(sparse, std::uintmax_t{3} << 30);
  EXPECT_EQ(executable::Create(sparse)->status, kExeCannotOpen);
  std::filesystem::resize_file(sparse, kMaxExecutableFileSize);
  EXPECT_EQ(executable::Create(sparse)->status, kExeOk);
  EXPECT_EQ(Load({})->status, kExeTruncated);
  std::vector<std::uint8_t> short63(63, 0);
  short63[0] = 'M';
  short63[1] = 'Z';
  EXPECT_EQ(Load(short63)->status, kExeNoPeSignature);
}

TEST(FindPEHeaderTest, NeedsRoomForTheFixedHeaders) {
  std::vector<std::uint8_t> bytes(200, 0);
  bytes[0] = 'M';
  bytes[1] = 'Z';
  PutU32(bytes, 0x3C, 80);
  PutU32(bytes, 80, 0x4550);
  EXPECT_EQ(FindPEHeader(200, bytes.data()), 84u);
  EXPECT_EQ(FindPEHeader(199, bytes.data()), 0u);
  PutU32(bytes, 0x3C, 0xFFFFFFF0);  // e_lfanew + 120 wraps in 32 bits
  EXPECT_EQ(FindPEHeader(200, bytes.data()), 0u);
}

TEST(NextPowerOfTwoTest, Values) {
  const std::vector<std::pair<std::uint32_t, std::uint32_t>> cases = {
      {0, 1},          {1, 1},          {2, 2},         {3, 4},
      {512, 512},      {513, 1024},     {65536, 65536}, {0x80000000, 0x80000000},
      {0x80000001, 0}, {0xFFFFFFFF, 0},
  };
  for (const auto& [x, expected] : cases) EXPECT_EQ(NextPowerOfTwo(x), expected) << x;
}

// The loader's overlap test for every pair, as the sorted check must answer it.
bool AnyPairOverlaps(const std::vector<SectionRange>& ranges) {
  for (std::size_t i = 0; i < ranges.size(); ++i) {
    for (std::size_t j = 0; j < i; ++j) {
      if (ranges[i].start < ranges[j].end && ranges[j].start < ranges[i].end) return true;
    }
  }
  return false;
}

TEST(AnyTwoOverlapTest, AgreesWithComparingEveryPair) {
  // Small coordinates, so that touching, equal, empty and reversed ranges all come up often.
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int> count(0, 7);
  std::uniform_int_distribution<std::int64_t> coordinate(-3, 12);
  int overlapping = 0;
  for (int trial = 0; trial < 20000; ++trial) {
    std::vector<SectionRange> ranges(static_cast<std::size_t>(count(random)));
    for (SectionRange& r : ranges) r = {coordinate(random), coordinate(random)};
    const bool expected = AnyPairOverlaps(ranges);
    overlapping += expected ? 1 : 0;
    ASSERT_EQ(AnyTwoOverlap(ranges), expected) << "trial " << trial;
  }
  EXPECT_GT(overlapping, 1000);
  EXPECT_LT(overlapping, 19000);
  // An empty range strictly inside another overlaps it; at its start it does not.
  EXPECT_TRUE(AnyTwoOverlap({{0, 10}, {5, 5}}));
  EXPECT_FALSE(AnyTwoOverlap({{0, 10}, {0, 0}}));
  EXPECT_TRUE(AnyTwoOverlap({{0, 10}, {8, 2}}));  // a reversed range inside another
  EXPECT_FALSE(AnyTwoOverlap({{8, 2}, {9, 1}, {5, 5}}));
}

TEST(RoundUpTest, Values) {
  EXPECT_EQ(RoundUp(0, 512), 0u);
  EXPECT_EQ(RoundUp(1, 512), 512u);
  EXPECT_EQ(RoundUp(512, 512), 512u);
  EXPECT_EQ(RoundUp(513, 512), 1024u);
  EXPECT_EQ(RoundUp(0x1001, 0x1000), 0x2000u);
  EXPECT_EQ(RoundUp(0xFFFFFFFF, 0x200), 0u);  // wraps at 32 bits
}

TEST_F(ExecutableTest, LoadingRewritesRoundedSectionSizes) {
  PeBuilder pe = TwoSections();
  const std::vector<std::uint8_t> built = pe.Build();
  const std::size_t header = pe.SectionHeaderOffset(0);
  ASSERT_EQ(Get32(built, header + 8), 12u);  // "Short Sword" and its zero
  const auto exe = Load(built);
  ASSERT_EQ(exe->status, kExeOk);
  EXPECT_EQ(exe->fileSize, 0x600u);
  EXPECT_EQ(exe->headerOffset, 0x84u);
  EXPECT_EQ(exe->Record(static_cast<std::uint32_t>(header) + 8, 4).U32(0), 0x1000u);
  EXPECT_EQ(exe->Record(static_cast<std::uint32_t>(header) + 16, 4).U32(0), 0x200u);
}

TEST_F(ExecutableTest, TranslatesThroughTheSectionTable) {
  const auto exe = Load(TwoSections().Build());
  ASSERT_EQ(exe->status, kExeOk);
  // Section 0: RVA 0x1000, raw data at 0x200; section 1: RVA 0x2000, raw data at 0x400.
  EXPECT_EQ(exe->VAToPointer(0x401000), 0x200u);
  EXPECT_EQ(exe->VAToPointer(0x400FFF), std::nullopt);
  EXPECT_EQ(exe->VAToPointer(0x401005), 0x205u);
  EXPECT_EQ(exe->VAToPointer(0x402000),
            0x400u);  // start + rounded size: the next section
  EXPECT_EQ(exe->VAToPointer(0x4011FF), 0x3FFu);  // last byte of the rounded raw data
  EXPECT_EQ(exe->VAToPointer(0x401200),
            std::nullopt);                        // the section's part without bytes in the file
  EXPECT_EQ(exe->VAToPointer(0x4021FF), 0x5FFu);  // last byte of the file
  EXPECT_EQ(exe->VAToPointer(0x402200),
            std::nullopt);  // in the section, past the file
  EXPECT_EQ(exe->VAToPointer(0x402FFF), std::nullopt);
  EXPECT_EQ(exe->VAToPointer(0x403000),
            std::nullopt);  // start + rounded size: no section
  EXPECT_EQ(exe->VAToPointer(0x1000), std::nullopt);
}

TEST_F(ExecutableTest, SectionStartIsSignExtendedAndDoesNotWrap) {
  PeBuilder pe;
  pe.AddString("low");
  PeSection below;
  below.virtualAddress = 0xFFFFF000;  // one page below the image base
  below.data = {'n', 'e', 'g', 0};
  pe.sections.push_back(below);
  auto exe = Load(pe.Build());
  ASSERT_EQ(exe->status, kExeOk);
  EXPECT_EQ(exe->ReadString(0x3FF000), "neg");
  EXPECT_EQ(exe->ReadString(0x401000), "low");

  PeBuilder high;
  high.imageBase = 0xFFFFF000;  // section 0 starts at 2^32, which no address reaches
  high.AddString("x");
  exe = Load(high.Build());
  ASSERT_EQ(exe->status, kExeOk);
  EXPECT_EQ(exe->VAToPointer(0), std::nullopt);
  EXPECT_EQ(exe->VAToPointer(0xFFFFFFFF), std::nullopt);
}

TEST_F(ExecutableTest, ReadString) {
  PeBuilder pe;
  const std::uint32_t sword = pe.AddString("Short Sword");
  const std::uint32_t empty = pe.AddString("");
  const std::uint32_t accented = pe.AddData(std::vector<std::uint8_t>{0xC9, 'p', 0xE9, 'e', 0});
  const auto exe = Load(pe.Build());
  ASSERT_EQ(exe->status, kExeOk);
  EXPECT_EQ(exe->ReadString(sword), "Short Sword");
  EXPECT_EQ(exe->ReadString(sword + 6), "Sword");
  EXPECT_EQ(exe->ReadString(empty), "");
  EXPECT_EQ(exe->ReadString(accented),
            "\xC9p\xE9"
            "e");
  EXPECT_EQ(exe->ReadString(0x300000), "<NO STRING>");
  EXPECT_EQ(exe->TranslateString(0x300000), std::nullopt);
  EXPECT_EQ(exe->TranslateString(empty), "");
}

TEST_F(ExecutableTest, StringRunningToTheEndOfTheFile) {
  PeBuilder pe;
  pe.AddZeros(0x200 - 3);
  const std::uint32_t tail = pe.AddData(std::vector<std::uint8_t>{'E', 'N', 'D'});
  const std::vector<std::uint8_t> bytes = pe.Build();
  ASSERT_EQ(bytes.size(), 0x400u);
  const auto exe = Load(bytes);
  ASSERT_EQ(exe->status, kExeOk);
  EXPECT_EQ(exe->ReadString(tail), "END");
  EXPECT_EQ(exe->ReadString(tail + 3),
            "<NO STRING>");  // in the section, past the file
}

TEST_F(ExecutableTest, TextsEndAfter256Bytes) {
  PeBuilder pe;
  const std::uint32_t exact = pe.AddString(std::string(256, 'a'));
  const std::uint32_t longer = pe.AddData(std::vector<std::uint8_t>(0x300, 'b'));  // 0x300 bytes without a zero
  const auto exe = Load(pe.Build());
  ASSERT_EQ(exe->status, kExeOk);
  EXPECT_EQ(exe->ReadString(exact), std::string(256, 'a'));
  EXPECT_EQ(exe->ReadString(exact + 1), std::string(255, 'a'));
  EXPECT_EQ(exe->ReadString(longer), std::string(256, 'b'));
  EXPECT_EQ(exe->TranslateString(longer + 0x2FF), "b");
}

TEST_F(ExecutableTest, Records) {
  const auto exe = Load(TwoSections().Build());
  ASSERT_EQ(exe->status, kExeOk);
  const RecordView last = exe->Record(0x5FC, 4);
  ASSERT_TRUE(last.Valid());
  EXPECT_EQ(last.U32(0), 0u);
  EXPECT_EQ(exe->Record(0x400, 4).U32(0), 0xABABABABu);
  EXPECT_EQ(exe->Record(0x200, 12).U32(0), 0x726F6853u);  // "Shor"
  EXPECT_FALSE(exe->Record(0x5FD, 4).Valid());
  EXPECT_FALSE(exe->Record(0x600, 0).Valid());
  EXPECT_FALSE(exe->Record(0xFFFFFFFF, 2).Valid());
  EXPECT_FALSE(exe->Record(4, 0xFFFFFFFF).Valid());
}

std::vector<std::uint8_t> Entry(std::uint32_t value, std::uint32_t marker) {
  std::vector<std::uint8_t> bytes(8, 0);
  PutU32(bytes, 0, value);
  PutU32(bytes, 4, marker);
  return bytes;
}

TEST_F(ExecutableTest, WalkTableStopsAtTheMarker) {
  PeBuilder pe;
  pe.AddString("pad");
  const std::uint32_t table = pe.AddData(Entry(10, 0));
  pe.AddData(Entry(11, 1));
  pe.AddData(Entry(12, 0));
  pe.AddData(Entry(99, 0xFFFFFFFF));
  pe.AddData(Entry(13, 0));
  const auto exe = Load(pe.Build());
  ASSERT_EQ(exe->status, kExeOk);
  const std::uint32_t start = *exe->VAToPointer(table);
  ASSERT_EQ(start, 0x204u);
  const TableWalk walk = WalkTable(*exe, start, 8, 4, 0xFFFFFFFF);
  ASSERT_EQ(walk.records.size(), 3u);
  EXPECT_EQ(walk.records[0].U32(0), 10u);
  EXPECT_EQ(walk.records[1].U32(4), 1u);
  EXPECT_EQ(walk.records[2].U32(0), 12u);
  EXPECT_EQ(walk.records[2].Size(), 8u);
  EXPECT_EQ(walk.terminatorOffset, 0x21Cu);

  const TableWalk first = WalkTable(*exe, start, 8, 0, 10);
  EXPECT_TRUE(first.records.empty());
  EXPECT_EQ(first.terminatorOffset, 0x204u);
  EXPECT_TRUE(WalkTable(*exe, start, 0, 4, 0xFFFFFFFF).records.empty());
}

TEST_F(ExecutableTest, WalkTableRunningOffTheEndOfTheFile) {
  PeBuilder pe;
  pe.AddZeros(0x200 - 20);
  const std::uint32_t table = pe.AddData(Entry(1, 0));
  pe.AddData(Entry(2, 0));
  pe.AddData(std::vector<std::uint8_t>{3, 0, 0, 0});  // a partial record at the end of the file
  const auto exe = Load(pe.Build());
  ASSERT_EQ(exe->status, kExeOk);
  const TableWalk walk = WalkTable(*exe, *exe->VAToPointer(table), 8, 4, 0xFFFFFFFF);
  ASSERT_EQ(walk.records.size(), 2u);
  EXPECT_EQ(walk.records[1].U32(0), 2u);
  EXPECT_EQ(walk.terminatorOffset, std::nullopt);
  EXPECT_EQ(WalkTable(*exe, 0xFFFFFFF8, 8, 4, 0).terminatorOffset, std::nullopt);
}

TEST_F(ExecutableTest, WalkTableEndsAfterTheLargestRecordCount) {
  PeBuilder pe;
  const std::uint32_t table = pe.NextVA();
  for (std::uint32_t i = 0; i < kMaxTableRecords; ++i) pe.AddData(Entry(i, 0));
  pe.AddData(Entry(0, 0xFFFFFFFF));
  const auto exe = Load(pe.Build());
  ASSERT_EQ(exe->status, kExeOk);
  const std::uint32_t start = *exe->VAToPointer(table);
  // The record after the last one allowed is not looked at, terminator or not.
  const TableWalk full = WalkTable(*exe, start, 8, 4, 0xFFFFFFFF);
  ASSERT_EQ(full.records.size(), kMaxTableRecords);
  EXPECT_EQ(full.records.back().U32(0), kMaxTableRecords - 1);
  EXPECT_EQ(full.terminatorOffset, std::nullopt);
  // One record fewer: the terminator is found.
  const TableWalk shorter = WalkTable(*exe, start + 8, 8, 4, 0xFFFFFFFF);
  EXPECT_EQ(shorter.records.size(), kMaxTableRecords - 1);
  EXPECT_EQ(shorter.terminatorOffset, start + 8 * kMaxTableRecords);
}

TEST_F(ExecutableTest, LinkerStyleImage) {
  PeBuilder pe;
  pe.sections.clear();
  PeSection text{".text", 0, 0x1234, 0x60000020, std::vector<std::uint8_t>(0x1234, 0xCC)};
  PeSection rdata{".rdata", 0, 0x2F0, 0x40000040, std::vector<std::uint8_t>(0x300, 0)};
  const std::string title = "Grimveil";
  std::copy(title.begin(), title.end(), rdata.data.begin() + 0x10);
  PeSection data{".data", 0, 0x3000, 0xC0000040, std::vector<std::uint8_t>(0x200, 0x11)};
  PeSection bss{".bss", 0, 0x800, 0xC0000080, {}};
  PeSection reloc{".reloc", 0, 0x40, 0x42000040, std::vector<std::uint8_t>(0x40, 0x22)};
  pe.sections = {text, rdata, data, bss, reloc};

  const std::vector<demogame::PeSectionLayout> layout = pe.Layout();
  const std::vector<std::vector<std::uint32_t>> expected = {
      {0x1000, 0x1234, 0x1400, 0x400}, {0x3000, 0x2F0, 0x400, 0x1800}, {0x4000, 0x3000, 0x200, 0x1C00},
      {0x7000, 0x800, 0, 0},           {0x8000, 0x40, 0x200, 0x1E00},
  };
  ASSERT_EQ(layout.size(), expected.size());
  for (std::size_t i = 0; i < layout.size(); ++i) {
    EXPECT_EQ((std::vector<std::uint32_t>{layout[i].virtualAddress, layout[i].virtualSize,
                                          layout[i].sizeOfRawData, layout[i].pointerToRawData}),
              expected[i])
        << i;
  }

  const auto exe = Load(pe.Build());
  ASSERT_EQ(exe->status, kExeOk);
  EXPECT_EQ(exe->fileSize, 0x2000u);
  EXPECT_EQ(exe->VAToPointer(0x401000), 0x400u);
  EXPECT_EQ(exe->ReadString(0x403010), "Grimveil");
  // Addresses at or past a section's rounded raw size have no bytes in the file, even where
  // the position they would give lies inside it.
  EXPECT_EQ(exe->VAToPointer(0x4033FF), 0x1BFFu);  // last byte of the rounded .rdata raw data
  EXPECT_EQ(exe->VAToPointer(0x403400), std::nullopt);
  EXPECT_EQ(exe->VAToPointer(0x4037FF), std::nullopt);
  EXPECT_EQ(exe->VAToPointer(0x404010), 0x1C10u);
  EXPECT_EQ(exe->VAToPointer(0x404200), std::nullopt);  // .data tail
  EXPECT_EQ(exe->TranslateString(0x404200), std::nullopt);
  EXPECT_EQ(exe->VAToPointer(0x407000), std::nullopt);  // .bss has no raw data at all
  EXPECT_EQ(exe->ReadString(0x407000), "<NO STRING>");
  EXPECT_EQ(exe->VAToPointer(0x408000), 0x1E00u);
  EXPECT_EQ(exe->VAToPointer(0x409000), std::nullopt);
}

TEST_F(ExecutableTest, ManySmallAdditions) {
  PeBuilder pe;
  std::uint32_t last = 0;
  for (std::uint32_t i = 0; i < 200000; ++i) {
    const std::uint8_t value[4] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i >> 8),
                                   static_cast<std::uint8_t>(i >> 16), 0};
    last = pe.AddData(value);
  }
  EXPECT_EQ(last, 0x401000u + 4 * 199999);
  pe.PatchU32(0x401004, 0xDEADBEEF);
  const auto exe = Load(pe.Build());
  ASSERT_EQ(exe->status, kExeOk);
  EXPECT_EQ(exe->Record(*exe->VAToPointer(last), 4).U32(0), 199999u);
  EXPECT_EQ(exe->Record(*exe->VAToPointer(0x401004), 4).U32(0), 0xDEADBEEFu);
  EXPECT_EQ(*exe->VAToPointer(last), pe.FileOffsetOf(last));
}

}  // namespace
}  // namespace gvde
