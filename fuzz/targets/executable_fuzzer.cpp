// GV.exe loading on arbitrary files, then address translation, string reads, record views
// and table walks at addresses taken from the file itself and from its section bounds, and
// the table finder with the table evidence it reads.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "game/affix_records.h"
#include "game/executable.h"
#include "game/executable_internal.h"
#include "game/game_data.h"
#include "game/item_records.h"
#include "game/table_finder.h"
#include "game/table_probe.h"

namespace {

using gvde::fuzz::WordAt;

// The 32-bit word at file offset `offset` of the loaded image; 0 outside it.
std::uint32_t ImageWord(const gvde::executable& exe, std::uint32_t offset) {
  return exe.Record(offset, 4).U32(0);
}

// The game table record sizes with the offset and value of their end markers.
struct TableShape {
  std::uint32_t recordSize, markerOffset, markerValue;
};
constexpr TableShape kTables[] = {{76, gvde::kItemEndMarkerOffset, gvde::kItemEndMarker},
                                  {84, gvde::kUniqueEndMarkerOffset, gvde::kUniqueEndMarker},
                                  {128, 0, gvde::kMonsterEndMarker},
                                  {32, 0, gvde::kBossEndMarker},
                                  {48, gvde::kAffixEndMarkerOffset, gvde::kAffixEndMarker},
                                  {4, 0, 0}};

void Require(bool condition) {
  if (!condition) std::abort();
}

// Section starts and ends as game addresses (one below and at each bound), read from
// the loaded image whose section sizes the loader has rounded.
std::vector<std::uint32_t> SectionBounds(const gvde::executable& exe) {
  std::vector<std::uint32_t> addresses;
  const std::uint32_t coff = exe.headerOffset;
  const std::uint32_t imageBase = ImageWord(exe, coff + 48);
  const std::uint32_t count = ImageWord(exe, coff + 2) & 0xFFFF;
  const std::uint32_t table = coff + 116 + 8 * ImageWord(exe, coff + 112);
  for (std::uint32_t i = 0; i < count && i < 64; ++i) {
    const std::uint32_t header = table + 40 * i;
    const std::uint32_t start = imageBase + ImageWord(exe, header + 12);
    const std::uint32_t end = start + ImageWord(exe, header + 8);
    for (const std::uint32_t a : {start - 1, start, start + 1, end - 2, end - 1, end}) addresses.push_back(a);
  }
  return addresses;
}

// Every address from the file's own words, at most 512 of them spread over the file.
std::vector<std::uint32_t> WordsOfFile(std::span<const std::uint8_t> file) {
  std::vector<std::uint32_t> words;
  const std::size_t stride = std::max<std::size_t>(4, (file.size() / 512 + 3) & ~std::size_t{3});
  for (std::size_t at = 0; at + 4 <= file.size(); at += stride) words.push_back(WordAt(file, at));
  return words;
}

void CheckRecord(const gvde::executable& exe, std::uint32_t offset, std::uint32_t size) {
  const gvde::RecordView record = exe.Record(offset, size);
  const std::uint64_t fileSize = exe.fileSize;
  Require(record.Valid() == (offset < fileSize && offset + std::uint64_t{size} <= fileSize));
  if (!record.Valid()) return;
  Require(record.Size() == size);
  // Fields reaching past the end of the record read as 0, never as bytes beyond it.
  Require(record.U8(size) == 0 && record.U32(size) == 0 && record.I32(0xFFFFFFFF) == 0);
  if (size >= 3) Require(record.U32(size - 3) == 0 && record.U16(size - 1) == 0);
  if (size >= 4) (void)record.U32(size - 4);
}

void CheckWalk(const gvde::executable& exe, std::uint32_t start, const TableShape& shape) {
  const gvde::TableWalk walk =
      gvde::WalkTable(exe, start, shape.recordSize, shape.markerOffset, shape.markerValue);
  const std::uint64_t fileSize = exe.fileSize;
  for (const gvde::RecordView& record : walk.records) {
    Require(record.Valid() && record.Size() == shape.recordSize);
    Require(record.U32(shape.markerOffset) != shape.markerValue);
  }
  if (walk.terminatorOffset) {
    Require(*walk.terminatorOffset + std::uint64_t{shape.recordSize} <= fileSize);
    Require(*walk.terminatorOffset == start + walk.records.size() * std::uint64_t{shape.recordSize});
  }
}

void CheckAddress(const gvde::executable& exe, std::uint32_t va, bool walk) {
  const std::optional<std::uint32_t> offset = exe.VAToPointer(va);
  const std::optional<std::string> text = exe.TranslateString(va);
  Require(offset.has_value() == text.has_value());
  Require(exe.ReadString(va) == text.value_or("<NO STRING>"));
  if (!offset) return;
  Require(*offset < exe.fileSize);
  Require(text->size() <= exe.fileSize - *offset && text->size() <= gvde::kMaxGameTextLength);
  for (const std::uint32_t size : {1u, 4u, 76u, 0x7FFFFFFFu, 0xFFFFFFFFu}) CheckRecord(exe, *offset, size);
  if (!walk) return;
  for (const TableShape& shape : kTables) CheckWalk(exe, *offset, shape);
}

// The game data as the run prepares it, each table starting at `offset`, the spell table and
// the title at `va`.
void DecodeTables(const gvde::executable& exe, std::uint32_t offset, std::uint32_t va) {
  gvde::TableAddresses addresses;
  addresses.spellTable = va;
  addresses.title = va;
  const gvde::GameData game = gvde::PrepareGameData(exe, addresses, {offset, offset, offset, offset, offset});
  for (const gvde::UniqueRecord& unique : game.uniques) {
    (void)gvde::EffectsUsed(unique);
    const std::optional<std::uint32_t> base = game.baseItemById[unique.uniqueId];
    if (!base) continue;
    Require(*base < game.items.size() && game.items[*base].uniqueId == unique.uniqueId);
    (void)gvde::UniquePicture(unique, game.items[*base]);
  }
  Require(game.title.size() <= gvde::kMaxGameTextLength);
  for (const std::uint32_t code : {0u, 1u, 2u, 52u, 0x7FFFFFFFu, 0xFFFFFFFFu})
    Require(game.SpellName(code).size() <= gvde::kMaxGameTextLength);
}

// The finder on the whole file: every address it proposes lies in the file, and so does every
// title; the evidence of a table read at the file's own words comes back whatever they are.
void CheckFinder(const gvde::executable& exe, const std::vector<std::uint32_t>& words) {
  const gvde::FoundAddresses found = gvde::FindTableAddresses(exe);
  for (const gvde::TableKey key : gvde::kTableKeys) {
    const gvde::TableFinding& finding = found.Of(key);
    Require(finding.candidates.size() <= gvde::kKeptCandidates && (!finding.confident || !finding.candidates.empty()));
    for (const gvde::TableCandidate& candidate : finding.candidates) Require(exe.VAToPointer(candidate.address).has_value());
  }
  Require(!found.titles.empty() && found.titles.front().address != 0);
  for (std::size_t i = 0; i < words.size() && i < 4; ++i) {
    for (const gvde::TableKey key : gvde::kTableKeys) {
      const gvde::TableEvidence evidence = gvde::ProbeTable(exe, key, words[i], {});
      Require(evidence.namesReadable <= evidence.records && evidence.inRange <= evidence.records);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> file(data, size);
  const std::unique_ptr<gvde::executable> exe = gvde::executable::FromBytes(file);
  Require(exe != nullptr);

  const std::vector<std::uint32_t> words = WordsOfFile(file);
  for (const std::uint32_t word : words) {
    (void)gvde::NextPowerOfTwo(word);
    (void)gvde::RoundUp(word, words.front());
  }
  if (exe->status != gvde::kExeOk) {
    Require(!exe->Record(0, 0).Valid());
    for (const std::uint32_t word : words) Require(!exe->VAToPointer(word).has_value());
    return 0;
  }
  Require(exe->fileSize == size && exe->Record(exe->fileSize - 1, 1).Valid() &&
          !exe->Record(exe->fileSize, 0).Valid());
  Require(gvde::FindPEHeader(exe->fileSize, data) == exe->headerOffset);

  for (const std::uint32_t va : SectionBounds(*exe)) CheckAddress(*exe, va, true);
  std::size_t walks = 0;
  for (const std::uint32_t va : words) {
    CheckAddress(*exe, va, ++walks <= 16);
    const std::optional<std::uint32_t> offset = exe->VAToPointer(va);
    if (offset && walks <= 4) DecodeTables(*exe, *offset, va);
  }
  for (const std::uint32_t offset : {0u, exe->fileSize - 1, exe->fileSize, exe->fileSize + 1, 0xFFFFFFFFu})
    CheckRecord(*exe, offset, 4);
  CheckFinder(*exe, words);
  return 0;
}
