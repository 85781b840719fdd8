// A data document read for a comparison: parsed, checked for the shape a comparison relies on,
// and with the key of every record (read from a version 2 document, made for version 1).
#pragma once

#include <array>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <unordered_map>
#include <vector>

#include "export/record_key.h"

namespace gvde {

using Json = nlohmann::ordered_json;

// A file larger than this is refused unread: a run writes at most 1 GiB in all, its document
// included.
constexpr std::uint64_t kMaxDocumentSize = std::uint64_t{1} << 30;

struct DocumentRecords {
  std::vector<const Json*> records;  // in document order
  std::vector<std::string> keys;     // one per record
  // A record's number to its position in `records`.
  std::unordered_map<std::uint64_t, std::size_t> byNumber;
};

struct LoadedDocument {
  Json json;
  std::array<DocumentRecords, kRecordCategories.size()> categories;
};

struct LoadResult {
  bool ok = false;
  std::string message;  // when !ok
  std::string detail;   // when !ok: "<path>: <reason>"
};

// Reads and checks the document at `path` into `document`.
LoadResult LoadDocument(const std::string& path, LoadedDocument& document);

}  // namespace gvde
