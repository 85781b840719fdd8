#include "compare/difference_reports.h"

namespace gvde {

namespace {

// A side without a value has no member.
Json ChangeObject(const ValueChange& change, std::string_view pathName) {
  Json o;
  o[std::string(pathName)] = change.path;
  if (change.oldValue) o["old"] = *change.oldValue;
  if (change.newValue) o["new"] = *change.newValue;
  return o;
}

Json RecordObject(const RecordChange& record) {
  Json o;
  o["key"] = record.key;
  o["name"] = record.name;
  o["oldNumber"] = record.oldNumber ? Json(*record.oldNumber) : Json(nullptr);
  o["newNumber"] = record.newNumber ? Json(*record.newNumber) : Json(nullptr);
  return o;
}

Json RecordList(const std::vector<RecordChange>& records) {
  Json list = Json::array();
  for (const RecordChange& record : records) list.push_back(RecordObject(record));
  return list;
}

Json ChangedList(const std::vector<RecordChange>& records) {
  Json list = Json::array();
  for (const RecordChange& record : records) {
    Json o = RecordObject(record);
    Json values = Json::array();
    for (const ValueChange& change : record.values) values.push_back(ChangeObject(change, "field"));
    o["changes"] = std::move(values);
    list.push_back(std::move(o));
  }
  return list;
}

}  // namespace

std::string JsonReport(const Differences& differences) {
  Json report;
  report["format"] = "gvde-compare";
  report["version"] = 1;
  report["match"] = differences.match == MatchBy::Key ? "key" : "number";
  report["title"] = differences.title ? ChangeObject(*differences.title, "field") : Json(nullptr);
  for (std::size_t c = 0; c < kRecordCategories.size(); ++c) {
    const CategoryDifferences& category = differences.categories[c];
    Json o;
    o["changed"] = ChangedList(category.changed);
    o["added"] = RecordList(category.added);
    o["removed"] = RecordList(category.removed);
    report[std::string(kRecordCategories[c].name)] = std::move(o);
  }
  return report.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace gvde
