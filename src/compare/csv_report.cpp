#include "compare/difference_reports.h"
#include "export/csv_text.h"

namespace gvde {

namespace {

std::string Number(const std::optional<std::uint64_t>& number) {
  return number ? std::to_string(*number) : std::string();
}

// A value as a CSV field; a side without a value is an empty field, like null.
std::string Field(const std::optional<Json>& value) { return value ? CsvField(*value) : std::string(); }

std::string Row(std::string_view category, const RecordChange* record, std::string_view change,
                const ValueChange* value) {
  return CsvRow({std::string(category), record ? record->key : std::string(), record ? record->name : std::string(),
                 record ? Number(record->oldNumber) : std::string(), record ? Number(record->newNumber) : std::string(),
                 std::string(change), value ? value->path : std::string(), value ? Field(value->oldValue) : std::string(),
                 value ? Field(value->newValue) : std::string()});
}

}  // namespace

std::string CsvReport(const Differences& differences) {
  std::string report(kUtf8ByteOrderMark);
  report += CsvRow({"category", "key", "name", "oldNumber", "newNumber", "change", "field", "old", "new"});
  if (differences.title) report += Row("title", nullptr, "changed", &*differences.title);
  for (std::size_t c = 0; c < kRecordCategories.size(); ++c) {
    const CategoryDifferences& category = differences.categories[c];
    const std::string_view name = kRecordCategories[c].name;
    for (const RecordChange& record : category.changed) {
      for (const ValueChange& value : record.values) report += Row(name, &record, "changed", &value);
    }
    for (const RecordChange& record : category.added) report += Row(name, &record, "added", nullptr);
    for (const RecordChange& record : category.removed) report += Row(name, &record, "removed", nullptr);
  }
  return report;
}

}  // namespace gvde
