// The four ways gvde-cli --compare prints what differs (--format text, markdown, json, csv).
#pragma once

#include <string>

#include "compare/record_differences.h"

namespace gvde {

// One line per changed value, added or removed record:
//   items "Bearded Axe" (12): price 2912 -> 3100
std::string TextReport(const Differences& differences);
// A heading per category, one Value / Old / New table per changed record, then the lists of
// added and removed records.
std::string MarkdownReport(const Differences& differences);
// The same as one JSON document, for programs.
std::string JsonReport(const Differences& differences);
// One row per changed value, added or removed record.
std::string CsvReport(const Differences& differences);

}  // namespace gvde
