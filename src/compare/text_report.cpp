#include <string_view>

#include "compare/difference_reports.h"

namespace gvde {

namespace {

// Texts in double quotes with JSON's escapes, so that spaces and line breaks stay visible;
// "(none)" where the document has no such value.
std::string Shown(const std::optional<Json>& value) {
  return value ? value->dump(-1, ' ', false, Json::error_handler_t::replace) : "(none)";
}

std::string Numbers(const RecordChange& record) {
  const auto text = [](const std::optional<std::uint64_t>& n) { return std::to_string(n.value_or(0)); };
  if (!record.oldNumber) return text(record.newNumber);
  if (!record.newNumber || record.oldNumber == record.newNumber) return text(record.oldNumber);
  return text(record.oldNumber) + " -> " + text(record.newNumber);
}

std::string RecordPrefix(std::string_view category, const RecordChange& record) {
  return std::string(category) + " " + Shown(Json(record.name)) + " (" + Numbers(record) + "): ";
}

std::string ChangeText(const ValueChange& change) {
  return change.path + " " + Shown(change.oldValue) + " -> " + Shown(change.newValue);
}

}  // namespace

std::string TextReport(const Differences& differences) {
  std::string report;
  if (differences.title) report += ChangeText(*differences.title) + "\n";
  for (std::size_t c = 0; c < kRecordCategories.size(); ++c) {
    const CategoryDifferences& category = differences.categories[c];
    const std::string_view name = kRecordCategories[c].name;
    for (const RecordChange& record : category.changed) {
      for (const ValueChange& change : record.values) report += RecordPrefix(name, record) + ChangeText(change) + "\n";
    }
    for (const RecordChange& record : category.added) report += RecordPrefix(name, record) + "added\n";
    for (const RecordChange& record : category.removed) report += RecordPrefix(name, record) + "removed\n";
  }
  return report;
}

}  // namespace gvde
