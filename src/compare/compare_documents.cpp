#include "compare/compare_documents.h"

#include <exception>
#include <memory>

#include "compare/difference_reports.h"
#include "compare/loaded_document.h"
#include "compare/record_differences.h"

namespace gvde {

namespace {

std::string Report(const Differences& differences, ReportFormat format) {
  switch (format) {
    case ReportFormat::Markdown: return MarkdownReport(differences);
    case ReportFormat::Json: return JsonReport(differences);
    case ReportFormat::Csv: return CsvReport(differences);
    case ReportFormat::Text: break;
  }
  return TextReport(differences);
}

CompareResult Trouble(std::string message, std::string detail) {
  CompareResult result;
  result.outcome = CompareResult::Outcome::Trouble;
  result.message = std::move(message);
  result.detail = std::move(detail);
  return result;
}

CompareResult Compare(const std::string& oldPath, const std::string& newPath, const CompareOptions& options) {
  // Large: each holds a whole parsed document.
  const auto oldDocument = std::make_unique<LoadedDocument>();
  const auto newDocument = std::make_unique<LoadedDocument>();
  for (const auto& [path, document] : {std::pair{&oldPath, oldDocument.get()}, std::pair{&newPath, newDocument.get()}}) {
    const LoadResult loaded = LoadDocument(*path, *document);
    if (!loaded.ok) return Trouble(loaded.message, loaded.detail);
  }
  const Differences differences = FindDifferences(*oldDocument, *newDocument, options.match);
  CompareResult result;
  if (differences.Empty()) {
    result.outcome = CompareResult::Outcome::Identical;
    return result;
  }
  result.outcome = CompareResult::Outcome::Different;
  result.report = Report(differences, options.format);
  return result;
}

}  // namespace

std::optional<MatchBy> MatchByName(std::string_view name) {
  if (name == "key") return MatchBy::Key;
  if (name == "number") return MatchBy::Number;
  return std::nullopt;
}

std::optional<ReportFormat> ReportFormatName(std::string_view name) {
  if (name == "text") return ReportFormat::Text;
  if (name == "markdown") return ReportFormat::Markdown;
  if (name == "json") return ReportFormat::Json;
  if (name == "csv") return ReportFormat::Csv;
  return std::nullopt;
}

CompareResult CompareDocumentFiles(const std::string& oldPath, const std::string& newPath,
                                   const CompareOptions& options) {
  // The JSON library reports running out of memory by exception; it ends here as trouble.
  try {
    return Compare(oldPath, newPath, options);
  } catch (const std::exception&) {
    return Trouble("Cannot compare " + oldPath + " with " + newPath, "not enough memory");
  }
}

}  // namespace gvde
