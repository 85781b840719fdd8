// What differs between two loaded documents: the title, and per category the records added,
// removed and changed, each changed record with its changed values.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "compare/compare_documents.h"
#include "compare/loaded_document.h"

namespace gvde {

// One value that differs: a field, an element of a list ("frameCounts[2]") or a field of one
// ("effects[1].param1"). A side is nullopt where that document has no such value (a longer
// list in the other).
struct ValueChange {
  std::string path;
  std::optional<Json> oldValue;
  std::optional<Json> newValue;
};

struct RecordChange {
  std::string key;
  std::string name;  // the new record's, or the old one's when it was removed
  std::optional<std::uint64_t> oldNumber;
  std::optional<std::uint64_t> newNumber;
  std::vector<ValueChange> values;  // for a changed record
};

struct CategoryDifferences {
  std::vector<RecordChange> changed;  // in the new document's order
  std::vector<RecordChange> added;    // likewise
  std::vector<RecordChange> removed;  // in the old document's order
  bool Empty() const { return changed.empty() && added.empty() && removed.empty(); }
};

struct Differences {
  MatchBy match = MatchBy::Key;
  std::optional<ValueChange> title;
  std::array<CategoryDifferences, kRecordCategories.size()> categories;
  bool Empty() const;
};

Differences FindDifferences(const LoadedDocument& oldDocument, const LoadedDocument& newDocument, MatchBy match);

}  // namespace gvde
