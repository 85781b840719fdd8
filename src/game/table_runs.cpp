#include "game/table_runs.h"

#include <algorithm>

namespace gvde {
namespace {

constexpr std::uint64_t kAddressSpace = std::uint64_t{1} << 32;

// What a 32-bit word of the file is; one byte of flags per byte offset. Markers that two
// tables share have one flag.
enum WordFlag : std::uint8_t {
  kPointsToText = 1,
  kMarkerXxxx = 2,  // 0x78787878: items and monsters
  kMarkerRrrr = 4,  // 0x52525252: uniques
  kMarkerOnes = 8,  // 0xFFFFFFFF: bosses and affixes
};

// The flag of an end marker value, 0 for any other word.
std::uint8_t MarkerFlag(std::uint32_t marker) {
  switch (marker) {
    case kItemEndMarker: return kMarkerXxxx;
    case kUniqueEndMarker: return kMarkerRrrr;
    case kBossEndMarker: return kMarkerOnes;
    default: return 0;
  }
}

std::int64_t SignedAddress(std::uint32_t value) {
  return value < 0x80000000u ? std::int64_t{value} : std::int64_t{value} - static_cast<std::int64_t>(kAddressSpace);
}

}  // namespace

TableShape ShapeOf(TableKey key) {
  switch (key) {
    case TableKey::Item: return {kItemRecordSize, kItemNameOffset, kItemEndMarkerOffset, kItemEndMarker};
    case TableKey::Unique: return {kUniqueRecordSize, kUniqueNameOffset, kUniqueEndMarkerOffset, kUniqueEndMarker};
    case TableKey::Monster: return {kMonsterRecordSize, kMonsterNameOffset, 0, kMonsterEndMarker};
    case TableKey::Boss: return {kBossRecordSize, kBossNameOffset, 0, kBossEndMarker};
    case TableKey::Spell: return {kSpellRecordSize, kSpellNameOffset, 0, std::nullopt, kSpellCount};
    case TableKey::Affix: return {kAffixRecordSize, kAffixNameOffset, kAffixEndMarkerOffset, kAffixEndMarker};
  }
  return {};
}

ImageScan::ImageScan(const executable& exe)
    : exe_(exe), file_(exe.Record(0, exe.fileSize)), texts_(file_) {
  for (const SectionHeader& s : exe.Sections()) {
    // VAToPointer gives bytes for the part of the section inside both sizes and the file.
    const std::uint64_t begin = s.pointerToRawData;
    const std::uint64_t end = std::min<std::uint64_t>(begin + std::min(s.sizeOfRawData, s.virtualSize), exe.fileSize);
    const std::int64_t address = std::int64_t{exe.ImageBase()} + SignedAddress(s.virtualAddress);
    if (begin >= end || address < 0 || static_cast<std::uint64_t>(address) + (end - begin) > kAddressSpace) continue;
    spans_.push_back({static_cast<std::uint32_t>(begin), static_cast<std::uint32_t>(end),
                      static_cast<std::uint32_t>(address)});
  }
  // Words outside every section's addresses are not looked up at all: most words are not
  // addresses, and this keeps the pass over the file cheap.
  std::uint32_t lowest = UINT32_MAX;
  std::uint64_t highest = 0;
  for (const Span& span : spans_) {
    lowest = std::min(lowest, span.address);
    highest = std::max<std::uint64_t>(highest, std::uint64_t{span.address} + (span.end - span.begin));
  }
  wordFlags_.assign(exe.fileSize, 0);
  for (const Span& span : spans_) ClassifyWords(span, lowest, highest);
}

void ImageScan::ClassifyWords(const Span& span, std::uint32_t lowest, std::uint64_t highest) {
  if (std::uint64_t{span.begin} + 4 > span.end) return;
  // The word slides along one byte at a time: one new byte per offset.
  std::uint32_t word = file_.U32(span.begin);
  for (std::uint64_t at = span.begin; at + 4 <= span.end; ++at) {
    if (at > span.begin) word = (word >> 8) | (std::uint32_t{file_.U8(at + 3)} << 24);
    std::uint8_t flags = MarkerFlag(word);
    if (word >= lowest && word < highest) {
      const std::optional<std::uint32_t> text = exe_.VAToPointer(word);
      if (text && texts_.At(*text)) flags |= kPointsToText;
    }
    wordFlags_[at] = flags;
  }
}

std::optional<std::uint32_t> ImageScan::AddressAt(std::uint32_t offset) const {
  for (const Span& span : spans_) {
    if (offset < span.begin || offset >= span.end) continue;
    const std::uint32_t address = span.address + (offset - span.begin);
    if (exe_.VAToPointer(address) == offset) return address;
  }
  return std::nullopt;
}

bool ImageScan::Named(std::uint64_t record, const TableShape& shape) const {
  const std::uint64_t field = record + shape.nameOffset;
  return field < wordFlags_.size() && (wordFlags_[field] & kPointsToText) != 0;
}

bool ImageScan::Marked(std::uint64_t record, const TableShape& shape) const {
  if (!shape.marker) return false;
  const std::uint64_t field = record + shape.markerOffset;
  return field < wordFlags_.size() && (wordFlags_[field] & MarkerFlag(*shape.marker)) != 0;
}

// Walks back from the end marker's record at `marked` while the records have names (allowing
// short gaps), stopping at an earlier end marker: a run never holds one, as a table walk does
// not. So the walks back from the markers of one record phase never cross each other.
void ImageScan::RunBefore(std::uint32_t marked, const Span& span, const TableShape& shape, BestRuns& best) const {
  RecordRun run{marked, marked + shape.recordSize, 0};
  std::uint32_t unnamed = 0;
  for (std::int64_t at = std::int64_t{marked} - shape.recordSize; at >= span.begin && unnamed <= kMaxUnnamedInRun;
       at -= shape.recordSize) {
    const auto record = static_cast<std::uint64_t>(at);
    if (Marked(record, shape)) break;
    if (Named(record, shape)) {
      run.start = static_cast<std::uint32_t>(record);
      ++run.named;
      unnamed = 0;
    } else {
      ++unnamed;
    }
  }
  best.Offer(run);
}

// Forward sweeps, one per record phase, counting the named records of a sliding window.
void ImageScan::RunsWithoutMarker(const Span& span, const TableShape& shape, BestRuns& best) const {
  const std::uint64_t reach = std::uint64_t{shape.window} * shape.recordSize;
  const auto named = [&](std::uint64_t at) { return at + shape.recordSize <= span.end && Named(at, shape); };
  for (std::uint32_t phase = 0; phase < shape.recordSize; ++phase) {
    const std::uint64_t first = std::uint64_t{span.begin} + phase;
    std::uint32_t inWindow = 0;  // named records in [at, at + reach)
    for (std::uint64_t at = first; at < first + reach; at += shape.recordSize) inWindow += named(at) ? 1 : 0;
    bool previousNamed = false;
    std::uint32_t previousWindow = 0;
    for (std::uint64_t at = first; at + shape.recordSize <= span.end; at += shape.recordSize) {
      const bool here = named(at);
      if (here && (!previousNamed || previousWindow < inWindow)) {
        best.Offer({static_cast<std::uint32_t>(at), static_cast<std::uint32_t>(std::min<std::uint64_t>(at + reach, span.end)),
                    inWindow});
      }
      previousNamed = here;
      previousWindow = inWindow;
      inWindow = inWindow - (here ? 1 : 0) + (named(at + reach) ? 1 : 0);
    }
  }
}

void ImageScan::BestRuns::Offer(const RecordRun& run) {
  if (run.named == 0 || run.named < minNamed || keep == 0) return;
  const auto better = [](const RecordRun& a, const RecordRun& b) {
    return a.named != b.named ? a.named > b.named : a.start < b.start;
  };
  if (runs.size() == keep && !better(run, runs.back())) return;
  runs.insert(std::upper_bound(runs.begin(), runs.end(), run, better), run);
  if (runs.size() > keep) runs.pop_back();
}

std::vector<RecordRun> ImageScan::Runs(const TableShape& shape, std::uint32_t minNamed, std::size_t keep) const {
  BestRuns best{minNamed, keep, {}};
  for (const Span& span : spans_) {
    if (!shape.marker) {
      RunsWithoutMarker(span, shape, best);
      continue;
    }
    // The tightest loop of the finder: one flag test per byte of the section.
    const std::uint8_t marker = MarkerFlag(*shape.marker);
    const std::uint8_t* flags = wordFlags_.data();
    for (std::uint64_t record = span.begin; record + shape.markerOffset + 4 <= span.end; ++record) {
      if ((flags[record + shape.markerOffset] & marker) == 0) continue;
      if (record + shape.recordSize > exe_.fileSize) continue;  // a walk could not read it
      RunBefore(static_cast<std::uint32_t>(record), span, shape, best);
    }
  }
  return std::move(best.runs);
}

void ImageScan::VisitTextStarts(const std::function<void(std::uint32_t)>& visit) const {
  for (const Span& span : spans_) {
    for (std::uint32_t at = span.begin; at < span.end; ++at) {
      if (texts_.At(at) && (at == span.begin || file_.U8(at - 1) == 0)) visit(at);
    }
  }
}

std::string ImageScan::TextAt(std::uint32_t offset) const {
  std::string text;
  if (!texts_.At(offset)) return text;
  for (std::uint64_t at = offset; file_.Has(at, 1) && file_.U8(at) != 0; ++at) text.push_back(static_cast<char>(file_.U8(at)));
  return text;
}

}  // namespace gvde
