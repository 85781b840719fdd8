// gvde-cli --compare OLD.json NEW.json: what changed between two data documents (version 1 or
// 2), per record category: records added, removed and changed, with each changed field's old
// and new value. docs/data-format.md describes the matching and the reports.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace gvde {

// How records of the two documents are paired: by key, so that an inserted record is one
// addition, or by number (table position).
enum class MatchBy { Key, Number };

enum class ReportFormat { Text, Markdown, Json, Csv };

// "key" or "number"; nullopt for anything else.
std::optional<MatchBy> MatchByName(std::string_view name);
// "text", "markdown", "json" or "csv"; nullopt for anything else.
std::optional<ReportFormat> ReportFormatName(std::string_view name);

struct CompareOptions {
  MatchBy match = MatchBy::Key;
  ReportFormat format = ReportFormat::Text;
};

struct CompareResult {
  enum class Outcome { Identical, Different, Trouble };
  Outcome outcome = Outcome::Trouble;
  std::string report;   // empty when identical
  std::string message;  // when Trouble: the one error message
  std::string detail;   // when Trouble: the file and the reason
};

CompareResult CompareDocumentFiles(const std::string& oldPath, const std::string& newPath,
                                   const CompareOptions& options);

}  // namespace gvde
