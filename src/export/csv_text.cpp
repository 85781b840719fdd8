#include "export/csv_text.h"

namespace gvde {

namespace {

using Json = nlohmann::ordered_json;

bool NeedsQuotes(std::string_view field) { return field.find_first_of(",\"\r\n") != std::string_view::npos; }

void AppendField(std::string& row, std::string_view field) {
  if (!NeedsQuotes(field)) {
    row += field;
    return;
  }
  row += '"';
  for (const char c : field) {
    if (c == '"') row += '"';
    row += c;
  }
  row += '"';
}

std::string ListField(const Json& list) {
  std::string joined;
  bool first = true;
  for (const Json& element : list) {
    const Json& shown = element.is_object() ? element.value("text", Json(nullptr)) : element;
    if (element.is_object() && shown.is_null()) continue;
    if (!first) joined += "; ";
    first = false;
    joined += CsvField(shown);
  }
  return joined;
}

}  // namespace

std::string CsvRow(const std::vector<std::string>& fields) {
  std::string row;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) row += ',';
    AppendField(row, fields[i]);
  }
  row += "\r\n";
  return row;
}

std::string CsvField(const Json& value) {
  if (value.is_null()) return {};
  if (value.is_string()) return value.get<std::string>();
  if (value.is_array()) return ListField(value);
  return value.dump();
}

}  // namespace gvde
