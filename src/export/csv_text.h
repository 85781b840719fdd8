// CSV as RFC 4180 writes it, for spreadsheets: a header row, one row per record, rows ending in
// CR LF, a field holding a comma, a double quote, CR or LF quoted with its quotes doubled.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

namespace gvde {

// Written first, so that spreadsheets read the file as UTF-8 rather than a local code page.
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// The fields as one row, CR LF included.
std::string CsvRow(const std::vector<std::string>& fields);

// A document value as one field: a text as it is, a number in decimal, true or false, null as
// an empty field; a list as its elements joined by "; ", an effect entry in it by its text
// (entries without a text are left out).
std::string CsvField(const nlohmann::ordered_json& value);

}  // namespace gvde
