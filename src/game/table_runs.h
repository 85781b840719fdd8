// The table finder's first pass over GV.exe: in one sweep per kind of table, the stretches of
// records whose names read as text, each ending at the table's end marker. Linear in the size
// of the file: what the 32-bit word at every byte offset is (an end marker, the address of a
// readable text) is worked out in one pass, and then every record position is looked at at
// most once per kind of table. Tables may
// start at any byte: nothing in the file format aligns them.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "game/executable.h"
#include "game/readable_text.h"
#include "game/table_evidence.h"

namespace gvde {

// How a table is recognised: its record size, where a record keeps the address of its name,
// and its end marker. A table without one (spells) is read for `window` records.
struct TableShape {
  std::uint32_t recordSize = 0;
  std::uint32_t nameOffset = 0;
  std::uint32_t markerOffset = 0;
  std::optional<std::uint32_t> marker;
  std::uint32_t window = 0;
};
TableShape ShapeOf(TableKey key);

// Records from file offset `start` on, `named` of them with a readable name; `end` is the
// offset just past the last record (the end marker's record, or the window's last record).
struct RecordRun {
  std::uint32_t start = 0;
  std::uint32_t end = 0;
  std::uint32_t named = 0;
};

// Up to this many records in a row without a readable name do not break a run.
constexpr std::uint32_t kMaxUnnamedInRun = 3;

class ImageScan {
 public:
  // `exe` must be loaded (status 0) and outlive the scan.
  explicit ImageScan(const executable& exe);

  // The game address of file offset `offset`, when a section holds it and translates the
  // address back to it.
  std::optional<std::uint32_t> AddressAt(std::uint32_t offset) const;

  // The `keep` runs with the most named records (the first in the file among equals), most
  // named first, of those with at least `minNamed`: runs that end at an end marker of `shape`,
  // or for a shape without marker, windows of its `window` records that start with a named
  // record and hold more named records than the window one record earlier. Only those kept
  // are held, so a file made of nothing but runs costs no more memory than any other.
  std::vector<RecordRun> Runs(const TableShape& shape, std::uint32_t minNamed, std::size_t keep) const;

  // Calls `visit` with each file offset where a readable text starts right after a zero byte
  // or at a section's start, in file order.
  void VisitTextStarts(const std::function<void(std::uint32_t)>& visit) const;

  // The readable text at file offset `offset` (empty when there is none).
  std::string TextAt(std::uint32_t offset) const;

 private:
  // The raw data of one section, as file offsets, and the game address of its first byte.
  struct Span {
    std::uint32_t begin = 0;
    std::uint32_t end = 0;
    std::uint32_t address = 0;
  };

  void ClassifyWords(const Span& span, std::uint32_t lowest, std::uint64_t highest);
  bool Named(std::uint64_t record, const TableShape& shape) const;
  bool Marked(std::uint64_t record, const TableShape& shape) const;
  // The runs kept so far, most named first, and the least of them that a new run must beat.
  struct BestRuns {
    std::uint32_t minNamed = 0;
    std::size_t keep = 0;
    std::vector<RecordRun> runs;
    void Offer(const RecordRun& run);
  };
  void RunBefore(std::uint32_t marked, const Span& span, const TableShape& shape, BestRuns& best) const;
  void RunsWithoutMarker(const Span& span, const TableShape& shape, BestRuns& best) const;

  const executable& exe_;
  RecordView file_;
  ReadableTextMap texts_;
  std::vector<Span> spans_;
  // For every byte offset, what the 32-bit word there is: WordFlag bits.
  std::vector<std::uint8_t> wordFlags_;
};

}  // namespace gvde
