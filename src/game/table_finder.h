// The table finder: where the six tables and the version text lie in a GV.exe whose addresses
// are not known. A first pass finds stretches of records shaped like each table (table_runs);
// the most promising are read as a run reads them and judged by their evidence and by the
// relations between the tables (unique items name base items, bosses name monsters).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "game/executable.h"
#include "game/table_evidence.h"

namespace gvde {

struct TableCandidate {
  std::uint32_t address = 0;  // game address
  TableEvidence evidence;
  std::uint32_t score = 0;  // records that are named, in range and related, as far as counted
};

struct TableFinding {
  std::vector<TableCandidate> candidates;  // best first; empty when nothing looks like the table
  bool confident = false;                  // the first is the table, with high confidence
};

struct TitleCandidate {
  std::uint32_t address = 0;
  std::string text;
  bool versionLike = false;  // holds a version number ("1.09", "v2")
};

struct FoundAddresses {
  std::array<TableFinding, 6> tables;  // indexed by TableKey
  // Best first; never empty for a loaded image with a section, so a Title can always be given.
  std::vector<TitleCandidate> titles;

  const TableFinding& Of(TableKey key) const { return tables[static_cast<std::size_t>(key)]; }
  bool AllConfident() const;
};

// At most this many candidates are kept per table (the first and its runners-up).
constexpr std::size_t kKeptCandidates = 4;

// `exe` must be loaded (status 0).
FoundAddresses FindTableAddresses(const executable& exe);

// How much a text looks like the game's version text; 0 for none at all.
std::uint32_t VersionTextScore(std::string_view text);
// True when the text holds a version number ("1.09", "v2").
bool LooksLikeVersionText(std::string_view text);

}  // namespace gvde
