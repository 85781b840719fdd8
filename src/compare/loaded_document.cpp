#include "compare/loaded_document.h"

#include <exception>
#include <optional>
#include <string_view>
#include <unordered_set>

#include "platform/file_error.h"
#include "platform/file_system.h"

namespace gvde {

namespace {

// A data document nests five levels deep and its objects have a few dozen members; these
// limits keep hostile files from exhausting the stack or the parser's time.
constexpr std::size_t kMaxDepth = 16;
constexpr std::size_t kMaxMembers = 256;

std::string Position(std::string_view text, std::size_t offset) {
  std::size_t line = 1;
  std::size_t lineStart = 0;
  for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++line;
      lineStart = i + 1;
    }
  }
  return "line " + std::to_string(line) + ", column " + std::to_string(offset - lineStart + 1);
}

// A first pass over the text, before the parser sees it: the nesting depth and the members of
// each object. Empty when both stay within the limits. Syntax is left to the parser.
std::string CheckNesting(std::string_view text) {
  struct Open {
    bool object;
    std::size_t commas;
  };
  std::vector<Open> open;
  bool inString = false;
  bool escaped = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (inString) {
      if (escaped) {
        escaped = false;
      } else if (c == '\\') {
        escaped = true;
      } else if (c == '"') {
        inString = false;
      }
      continue;
    }
    if (c == '"') {
      inString = true;
    } else if (c == '{' || c == '[') {
      open.push_back({c == '{', 0});
      if (open.size() > kMaxDepth) {
        return "nested deeper than " + std::to_string(kMaxDepth) + " levels at " + Position(text, i);
      }
    } else if ((c == '}' || c == ']') && !open.empty()) {
      open.pop_back();
    } else if (c == ',' && !open.empty() && open.back().object && ++open.back().commas >= kMaxMembers) {
      return "an object with more than " + std::to_string(kMaxMembers) + " members at " + Position(text, i);
    }
  }
  return {};
}

// The parser's message without its exception name: "parse error at line 3, column 1: ...".
std::string ParseErrorText(const char* what) {
  std::string_view text = what;
  const std::size_t end = text.find("] ");
  if (text.starts_with("[json.exception.") && end != std::string_view::npos) text.remove_prefix(end + 2);
  return std::string(text);
}

bool IsRecordNumber(const Json& value) { return value.is_number_unsigned() || (value.is_number_integer() && value >= 0); }

// Empty when the records of `category` have the shape a comparison relies on.
std::string CheckRecords(const Json& document, std::size_t category, int version, DocumentRecords& out) {
  const std::string name(kRecordCategories[category].name);
  const auto found = document.find(name);
  if (found == document.end() || !found->is_array()) return "\"" + name + "\" is not a list of records";
  RecordKeys made(kRecordCategories[category].letter);
  std::unordered_set<std::string_view> seen;
  out.records.reserve(found->size());
  out.keys.reserve(found->size());
  for (const Json& record : *found) {
    const std::string where = name + "[" + std::to_string(out.records.size()) + "]";
    if (!record.is_object()) return where + " is not an object";
    const auto recordName = record.find("name");
    const auto number = record.find("number");
    if (recordName == record.end() || !recordName->is_string()) return where + " has no \"name\" text";
    if (number == record.end() || !IsRecordNumber(*number)) return where + " has no record \"number\"";
    std::string key;
    if (version == 1) {
      key = made.Next(recordName->get_ref<const std::string&>());
    } else {
      const auto given = record.find("key");
      if (given == record.end() || !given->is_string()) return where + " has no \"key\" text";
      key = given->get<std::string>();
    }
    out.byNumber.emplace(number->get<std::uint64_t>(), out.records.size());
    out.records.push_back(&record);
    out.keys.push_back(std::move(key));
  }
  // The views point into `keys`, which no longer grows.
  for (const std::string& key : out.keys) {
    if (!seen.insert(key).second) return name + ": the key \"" + key + "\" is given twice";
  }
  return {};
}

// Empty when the parsed document is one a comparison can read.
std::string CheckDocument(LoadedDocument& document) {
  const Json& json = document.json;
  if (!json.is_object()) return "not a JSON object";
  const auto format = json.find("format");
  if (format == json.end() || *format != "gvde-data") return "\"format\" is not \"gvde-data\"";
  const auto version = json.find("version");
  if (version == json.end() || (*version != 1 && *version != 2)) {
    return "\"version\" is not 1 or 2 (a later gvde may read it)";
  }
  const auto title = json.find("title");
  if (title == json.end() || !title->is_string()) return "\"title\" is not a text";
  for (std::size_t c = 0; c < kRecordCategories.size(); ++c) {
    std::string problem = CheckRecords(json, c, version->get<int>(), document.categories[c]);
    if (!problem.empty()) return problem;
  }
  return {};
}

// Parses `text`; empty when it parsed, else the reason.
std::string Parse(std::string_view text, Json& json) {
  std::string problem = CheckNesting(text);
  if (!problem.empty()) return problem;
  try {
    json = Json::parse(text.begin(), text.end());
    return {};
  } catch (const Json::parse_error& error) {
    return ParseErrorText(error.what());
  } catch (const std::exception&) {
    return "not enough memory to read it";
  }
}

}  // namespace

LoadResult LoadDocument(const std::string& path, LoadedDocument& document) {
  ClearFileError();
  std::optional<std::vector<std::uint8_t>> bytes = ReadWholeFile(path, kMaxDocumentSize);
  if (!bytes) return {false, "Cannot read " + path, DescribeFileError(path)};
  const std::string_view text(reinterpret_cast<const char*>(bytes->data()), bytes->size());
  std::string problem = Parse(text, document.json);
  if (problem.empty()) problem = CheckDocument(document);
  if (problem.empty()) return {true, {}, {}};
  return {false, path + " is not a gvde data document", path + ": " + problem};
}

}  // namespace gvde
