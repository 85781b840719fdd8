#include <string_view>

#include "compare/difference_reports.h"

namespace gvde {

namespace {

constexpr std::string_view kHeadings[] = {"Items", "Unique items", "Monsters", "Bosses", "Prefixes", "Suffixes"};

// Game text may hold characters that Markdown reads as markup or HTML ("<Cursed Idol>",
// "A|B"); a backslash before each keeps them text, and a line break becomes a space.
std::string Escaped(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (const char c : text) {
    if (c == '\n' || c == '\r') {
      escaped += ' ';
      continue;
    }
    if (std::string_view("\\`*_[]<>|&~#").find(c) != std::string_view::npos) escaped += '\\';
    escaped += c;
  }
  return escaped;
}

// Texts as they are, other values as JSON writes them, "(none)" where there is no value.
std::string Cell(const std::optional<Json>& value) {
  if (!value) return "(none)";
  if (value->is_string()) return Escaped(value->get_ref<const std::string&>());
  return Escaped(value->dump(-1, ' ', false, Json::error_handler_t::replace));
}

// A value's path as code ("effects[0].code"); one that a code span cannot hold (a backtick, or
// a '|', which splits a table cell even there) is escaped instead.
std::string PathCell(std::string_view path) {
  if (path.find_first_of("`|\n\r") == std::string_view::npos) return "`" + std::string(path) + "`";
  return Escaped(path);
}

std::string RecordTitle(const RecordChange& record) {
  std::string title = record.name.empty() ? "(no name)" : Escaped(record.name);
  const auto number = [](const std::optional<std::uint64_t>& n) { return std::to_string(n.value_or(0)); };
  title += " (" + number(record.oldNumber ? record.oldNumber : record.newNumber);
  if (record.oldNumber && record.newNumber && record.oldNumber != record.newNumber) {
    title += " -> " + number(record.newNumber);
  }
  return title + ")";
}

std::string Table(const std::vector<ValueChange>& changes) {
  std::string table = "| Value | Old | New |\n|---|---|---|\n";
  for (const ValueChange& change : changes) {
    table += "| " + PathCell(change.path) + " | " + Cell(change.oldValue) + " | " + Cell(change.newValue) + " |\n";
  }
  return table;
}

std::string RecordList(std::string_view label, const std::vector<RecordChange>& records) {
  if (records.empty()) return {};
  std::string list = "\n" + std::string(label) + ":\n\n";
  for (const RecordChange& record : records) list += "- " + RecordTitle(record) + "\n";
  return list;
}

std::string Section(std::size_t c, const CategoryDifferences& category) {
  std::string section = "## " + std::string(kHeadings[c]) + "\n";
  for (const RecordChange& record : category.changed) {
    section += "\n### " + RecordTitle(record) + "\n\n" + Table(record.values);
  }
  section += RecordList("Added", category.added);
  section += RecordList("Removed", category.removed);
  return section;
}

}  // namespace

std::string MarkdownReport(const Differences& differences) {
  std::string report;
  if (differences.title) report += "## Title\n\n" + Table({*differences.title});
  for (std::size_t c = 0; c < kRecordCategories.size(); ++c) {
    if (differences.categories[c].Empty()) continue;
    if (!report.empty()) report += "\n";
    report += Section(c, differences.categories[c]);
  }
  return report;
}

}  // namespace gvde
