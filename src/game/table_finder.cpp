#include "game/table_finder.h"

#include <algorithm>
#include <optional>

#include "game/table_probe.h"
#include "game/table_runs.h"

namespace gvde {
namespace {

// Runs read in full per table, the most named first: a handful, so that the second pass costs
// a few table walks whatever the size of the file.
constexpr std::size_t kProbedRuns = 6;
// Named spell records in a row before a stretch counts (the spell table has no end marker).
constexpr std::uint32_t kMinSpellRun = 8;
// Records a table needs before the finder is confident of it (the real tables hold many more).
constexpr std::uint32_t kConfidentRecords = 10;
constexpr std::uint32_t kConfidentAffixRun = 5;
// Texts longer than this are not taken for the version text.
constexpr std::size_t kMaxTitleLength = 80;

std::uint32_t Score(const TableEvidence& e) {
  return std::min({e.namesReadable, e.inRange, e.related.value_or(e.records)});
}

bool EnoughRecords(TableKey key, const TableEvidence& e) {
  switch (key) {
    case TableKey::Spell: return true;  // always 52 records; Judge weighs their names
    case TableKey::Affix: return e.prefixes >= kConfidentAffixRun && e.suffixes >= kConfidentAffixRun;
    default: return e.records >= kConfidentRecords;
  }
}

// Bytes from a candidate's start to the end of what it reads (the affix table's two runs
// with their end markers between).
std::uint64_t Extent(TableKey key, const TableEvidence& e) {
  const std::uint64_t markers = key == TableKey::Affix ? 1 : 0;
  return (e.records + markers) * std::uint64_t{ShapeOf(key).recordSize};
}

// Two candidates that read the same records from different first records (the suffixes of
// the affix table, a spell table read from its second spell) are one table, not two.
bool Overlap(TableKey key, const TableCandidate& a, const TableCandidate& b) {
  const std::uint64_t distance = a.address > b.address ? a.address - b.address : b.address - a.address;
  const std::uint64_t extent = std::max(Extent(key, a.evidence), Extent(key, b.evidence));
  return distance % ShapeOf(key).recordSize == 0 && distance < extent;
}

bool Confident(TableKey key, const std::vector<TableCandidate>& candidates) {
  if (candidates.empty()) return false;
  const TableCandidate& best = candidates.front();
  if (Judge(key, best.evidence) != Verdict::Ok || !EnoughRecords(key, best.evidence)) return false;
  if ((key == TableKey::Unique || key == TableKey::Boss) && !best.evidence.related) return false;
  // A runner-up nearly as good means two tables alike, and no telling which one the game reads.
  return std::none_of(candidates.begin() + 1, candidates.end(), [&](const TableCandidate& other) {
    return std::uint64_t{other.score} * 10 >= std::uint64_t{best.score} * 9 && !Overlap(key, best, other);
  });
}

TableFinding Find(const executable& exe, const ImageScan& scan, TableKey key, const TableRelations& relations) {
  TableFinding finding;
  const std::uint32_t minNamed = key == TableKey::Spell ? kMinSpellRun : 1;
  for (const RecordRun& run : scan.Runs(ShapeOf(key), minNamed, kProbedRuns)) {
    const std::optional<std::uint32_t> address = scan.AddressAt(run.start);
    if (!address) continue;
    TableCandidate candidate{*address, ProbeTable(exe, key, *address, relations), 0};
    candidate.score = Score(candidate.evidence);
    finding.candidates.push_back(candidate);
  }
  std::stable_sort(finding.candidates.begin(), finding.candidates.end(),
                   [](const TableCandidate& a, const TableCandidate& b) { return a.score > b.score; });
  if (finding.candidates.size() > kKeptCandidates) finding.candidates.resize(kKeptCandidates);
  finding.confident = Confident(key, finding.candidates);
  return finding;
}

std::optional<std::uint32_t> Best(const TableFinding& finding) {
  if (finding.candidates.empty()) return std::nullopt;
  return finding.candidates.front().address;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool ContainsWord(std::string_view text, std::string_view word) {
  for (std::size_t at = 0; at + word.size() <= text.size(); ++at) {
    bool same = true;
    for (std::size_t i = 0; i < word.size() && same; ++i) same = Lower(text[at + i]) == word[i];
    if (same) return true;
  }
  return false;
}

// "1.09": a digit, a dot, a digit.
bool HasVersionNumber(std::string_view text) {
  for (std::size_t i = 0; i + 2 < text.size(); ++i) {
    if (IsDigit(text[i]) && text[i + 1] == '.' && IsDigit(text[i + 2])) return true;
  }
  return false;
}

// "v2", "V1.1": a v standing on its own before a digit.
bool HasVersionLetter(std::string_view text) {
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if ((text[i] == 'v' || text[i] == 'V') && IsDigit(text[i + 1]) && (i == 0 || !IsLetter(text[i - 1]))) return true;
  }
  return false;
}

TitleCandidate TitleAt(const ImageScan& scan, std::uint32_t offset) {
  TitleCandidate title;
  title.address = scan.AddressAt(offset).value_or(0);
  title.text = scan.TextAt(offset);
  title.versionLike = LooksLikeVersionText(title.text);
  return title;
}

std::vector<TitleCandidate> FindTitles(const executable& exe, const ImageScan& scan) {
  struct Scored {
    std::uint32_t score;
    std::uint32_t offset;
  };
  // The best few, highest score first; among equals the first in the file.
  std::vector<Scored> best;
  scan.VisitTextStarts([&](std::uint32_t offset) {
    const std::uint32_t score = VersionTextScore(scan.TextAt(offset));
    if (score == 0 || (best.size() == kKeptCandidates && score <= best.back().score)) return;
    const auto at = std::upper_bound(best.begin(), best.end(), score,
                                     [](std::uint32_t s, const Scored& kept) { return s > kept.score; });
    best.insert(at, {score, offset});
    if (best.size() > kKeptCandidates) best.pop_back();
  });
  std::vector<TitleCandidate> titles;
  for (const Scored& scored : best) {
    TitleCandidate title = TitleAt(scan, scored.offset);
    if (title.address != 0) titles.push_back(std::move(title));
  }
  // Without any text a run still needs an address other than 0: the image's first byte.
  if (titles.empty()) titles.push_back({exe.ImageBase() != 0 ? exe.ImageBase() : 1u, {}, false});
  return titles;
}

}  // namespace

bool FoundAddresses::AllConfident() const {
  return std::all_of(tables.begin(), tables.end(), [](const TableFinding& f) { return f.confident; });
}

bool LooksLikeVersionText(std::string_view text) { return HasVersionNumber(text) || HasVersionLetter(text); }

std::uint32_t VersionTextScore(std::string_view text) {
  if (text.size() < 4 || text.size() > kMaxTitleLength) return 0;
  std::uint32_t score = 1;
  if (HasVersionNumber(text)) score += 4;
  if (HasVersionLetter(text)) score += 2;
  if (ContainsWord(text, "version")) score += 1;
  if (ContainsWord(text, "grimveil")) score += 2;
  return score;
}

FoundAddresses FindTableAddresses(const executable& exe) {
  FoundAddresses found;
  const ImageScan scan(exe);
  const auto find = [&](TableKey key, const TableRelations& relations) {
    found.tables[static_cast<std::size_t>(key)] = Find(exe, scan, key, relations);
  };
  for (const TableKey key : {TableKey::Item, TableKey::Monster, TableKey::Spell, TableKey::Affix}) find(key, {});
  // Uniques and bosses are weighed by how well they name the items and monsters found.
  const TableRelations relations = RelationsOf(exe, Best(found.Of(TableKey::Item)), Best(found.Of(TableKey::Monster)));
  find(TableKey::Unique, relations);
  find(TableKey::Boss, relations);
  found.titles = FindTitles(exe, scan);
  return found;
}

}  // namespace gvde
