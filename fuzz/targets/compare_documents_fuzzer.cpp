// The comparison of two data documents on an arbitrary file as either side: compared with a
// small valid document both ways and with itself, each in one of the match modes and report
// formats. A comparison ends identical, different with a report, or in trouble with a message
// and a detail; a document is never different from itself.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>

#include "compare/compare_documents.h"
#include "fuzz_support.h"

namespace {

using gvde::CompareResult;

// One record in each of two lists; the seeds hold records of the same names and numbers, so
// that their comparisons find fields that changed.
constexpr std::string_view kReference =
    R"({"format":"gvde-data","version":2,"title":"Reference","items":[{"number":0,"name":"Iron Shortblade",)"
    R"("key":"i:Iron Shortblade#1","level":1,"price":400,"uniques":[]}],"uniques":[{"number":0,)"
    R"("name":"Grim Reaver","key":"u:Grim Reaver#1","effects":[{"code":74,"name":"Damage against fiends",)"
    R"("param1":29,"param2":30,"text":"Damage against fiends"}]}],"monsters":[],"bosses":[],"prefixes":[],)"
    R"("suffixes":[]})";

void Require(bool condition) {
  if (!condition) std::abort();
}

const std::string& ReferencePath() {
  static const std::string path = [] {
    std::string file = gvde::fuzz::ScratchDir() + "/reference.json";
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(kReference.data());
    Require(gvde::fuzz::WriteBytes(file, std::span(bytes, kReference.size())));
    return file;
  }();
  return path;
}

CompareResult Compare(const std::string& oldPath, const std::string& newPath, unsigned variant) {
  static constexpr std::array kFormats = {gvde::ReportFormat::Text, gvde::ReportFormat::Markdown,
                                          gvde::ReportFormat::Json, gvde::ReportFormat::Csv};
  const gvde::CompareOptions options{(variant & 1) != 0 ? gvde::MatchBy::Number : gvde::MatchBy::Key,
                                     kFormats[(variant >> 1) % kFormats.size()]};
  const CompareResult result = gvde::CompareDocumentFiles(oldPath, newPath, options);
  switch (result.outcome) {
    case CompareResult::Outcome::Identical:
      Require(result.report.empty());
      break;
    case CompareResult::Outcome::Different:
      Require(!result.report.empty());
      break;
    case CompareResult::Outcome::Trouble:
      Require(!result.message.empty() && !result.detail.empty());
      break;
  }
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& reference = ReferencePath();
  const std::string input = gvde::fuzz::ScratchDir() + "/input.json";
  Require(gvde::fuzz::WriteBytes(input, std::span(data, size)));
  const auto variant = static_cast<unsigned>(size % 8);
  const CompareResult forward = Compare(reference, input, variant);
  const CompareResult backward = Compare(input, reference, variant + 1);
  // Which side is broken does not change whether the pair can be compared.
  Require((forward.outcome == CompareResult::Outcome::Trouble) ==
          (backward.outcome == CompareResult::Outcome::Trouble));
  Require(Compare(input, input, variant + 2).outcome != CompareResult::Outcome::Different);
  return 0;
}
