#include "app/cli/compare_command.h"

namespace gvde {

int RunComparison(const std::string& oldPath, const std::string& newPath, const CompareOptions& options,
                  std::FILE* out, std::FILE* err) {
  const CompareResult result = CompareDocumentFiles(oldPath, newPath, options);
  switch (result.outcome) {
    case CompareResult::Outcome::Identical:
      return 0;
    case CompareResult::Outcome::Different:
      std::fwrite(result.report.data(), 1, result.report.size(), out);
      std::fflush(out);
      return 1;
    case CompareResult::Outcome::Trouble:
      break;
  }
  std::fprintf(err, "Error: %s\n", result.message.c_str());
  if (!result.detail.empty()) std::fprintf(err, "  %s\n", result.detail.c_str());
  return 2;
}

}  // namespace gvde
