#include "ini/ini_to_read.h"

#include <optional>
#include <unordered_set>

#include "platform/file_system.h"

namespace gvde {

namespace {

enum class LineKind { kIgnore, kEntry, kGroup, kError };

// One classified line. For an error, `error` holds the message; for a group, `name` holds it.
struct ParsedLine {
  LineKind kind = LineKind::kIgnore;
  std::string_view name;
  std::string_view value;
  const char* error = nullptr;
};

ParsedLine Error(const char* message) { return {LineKind::kError, {}, {}, message}; }

// Only 0x20 counts as a space; a tab is an ordinary character.
std::size_t SkipSpaces(std::string_view line, std::size_t pos) {
  while (pos < line.size() && line[pos] == ' ') ++pos;
  return pos;
}

std::string_view DropTrailingSpaces(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

bool IsValidName(std::string_view name) {
  return !name.empty() && name.find_first_of(" ;=[]") == std::string_view::npos;
}

ParsedLine ParseGroupLine(std::string_view line, std::size_t open) {
  const std::size_t close = line.find(']', open + 1);
  if (close == std::string_view::npos) return Error("Unfinished group name");
  const std::string_view name = line.substr(open + 1, close - open - 1);
  if (name.empty()) return Error("Void group name");
  if (!IsValidName(name)) return Error("Invalid group name");
  const std::size_t after = SkipSpaces(line, close + 1);
  if (after < line.size() && line[after] != ';') return Error("Garbage after a group name");
  return {LineKind::kGroup, name, {}, nullptr};
}

ParsedLine ParseEntryLine(std::string_view line, std::size_t start, bool valueComments) {
  const std::size_t equals = line.find('=', start);
  if (equals == std::string_view::npos) return Error("Row without \"=\"");
  const std::string_view name = DropTrailingSpaces(line.substr(start, equals - start));
  if (!IsValidName(name)) return Error("Invalid entry name");
  const std::size_t valueStart = SkipSpaces(line, equals + 1);
  if (valueStart == line.size()) return {LineKind::kEntry, name, {}, nullptr};
  std::string_view value = line.substr(valueStart);
  if (valueComments) {
    value = value.substr(0, value.find(';', 1));
  } else {
    value = DropTrailingSpaces(value);
  }
  return {LineKind::kEntry, name, value, nullptr};
}

ParsedLine ParseLine(std::string_view line, bool valueComments) {
  if (line.empty()) return {};
  const std::size_t start = SkipSpaces(line, 0);
  if (start < line.size()) {
    if (line[start] == ';') return {};
    if (line[start] == '=') return Error("Void entry name");
    if (line[start] == '[') return ParseGroupLine(line, start);
  }
  // A line of spaces only falls through to here and has no "=".
  return ParseEntryLine(line, start, valueComments);
}

}  // namespace

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const char c = text[pos];
    if (c != '\r' && c != '\n') {
      ++pos;
      continue;
    }
    lines.push_back(text.substr(start, pos - start));
    ++pos;
    if (c == '\r' && pos < text.size() && text[pos] == '\n') ++pos;
    start = pos;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::vector<IniEntryLine> ListEntryLines(std::string_view text) {
  std::vector<IniEntryLine> entries;
  std::size_t group = 0;
  const std::vector<std::string_view> lines = SplitLines(text);
  for (std::size_t n = 0; n < lines.size(); ++n) {
    const ParsedLine parsed = ParseLine(lines[n], false);
    if (parsed.kind == LineKind::kGroup) ++group;
    if (parsed.kind == LineKind::kEntry) entries.push_back({n + 1, group, std::string(parsed.name), std::string(parsed.value)});
  }
  return entries;
}

bool INIToRead::Load(const std::string& fileName) {
  Clear();
  const std::optional<std::vector<std::uint8_t>> bytes = ReadWholeFile(fileName, kMaxIniFileSize);
  if (!bytes) return Fail("Cannot read INI file");
  return LoadText(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
}

bool INIToRead::LoadText(std::string_view text) {
  Clear();
  const std::vector<std::string_view> lines = SplitLines(text);
  if (!CheckLines(lines)) return false;
  if (!StoreLines(lines)) {
    Clear();
    return false;
  }
  lastError_.clear();
  loaded_ = true;
  currentGroup_ = ungroupedCount_ > 0 ? groupCount_ : 0;
  return true;
}

// First pass: every line must parse; counts entries and groups to size the arrays.
bool INIToRead::CheckLines(const std::vector<std::string_view>& lines) {
  std::size_t entryCount = 0;
  std::size_t groupCount = 0;
  for (std::size_t n = 0; n < lines.size(); ++n) {
    const ParsedLine parsed = ParseLine(lines[n], valueComments_);
    if (parsed.kind == LineKind::kError) return FailAt(n, parsed.error);
    if (parsed.kind == LineKind::kEntry) ++entryCount;
    if (parsed.kind == LineKind::kGroup) ++groupCount;
  }
  if (entryCount == 0) return Fail("File does not contain any entry");
  groupCount_ = groupCount;
  groupNames_.resize(groupCount);
  groupFirstEntry_.resize(groupCount);
  groupEntryCount_.resize(groupCount);
  entryNames_.resize(entryCount);
  entryValues_.resize(entryCount);
  return true;
}

// Second pass: stores entries and groups in file order and rejects repeated names. The names
// seen so far are kept in hash sets (of views into `lines`), so the checks stay linear.
bool INIToRead::StoreLines(const std::vector<std::string_view>& lines) {
  currentGroup_ = groupCount_;
  std::size_t k = 0;
  std::unordered_set<std::string_view> entriesOfGroup;  // of the current group, or ungrouped
  std::unordered_set<std::string_view> groups;
  for (std::size_t n = 0; n < lines.size(); ++n) {
    const ParsedLine parsed = ParseLine(lines[n], valueComments_);
    if (parsed.kind == LineKind::kEntry) {
      const bool grouped = currentGroup_ != groupCount_;
      if (!entriesOfGroup.insert(parsed.name).second) return FailRepeated(n, "Repeating entry name", parsed.name);
      entryNames_[k] = std::string(parsed.name);
      entryValues_[k] = std::string(parsed.value);
      ++k;
      if (grouped) {
        ++groupEntryCount_[currentGroup_];
      } else {
        ++ungroupedCount_;
      }
    } else if (parsed.kind == LineKind::kGroup) {
      currentGroup_ = currentGroup_ == groupCount_ ? 0 : currentGroup_ + 1;
      groupEntryCount_[currentGroup_] = 0;
      groupFirstEntry_[currentGroup_] = k;
      groupNames_[currentGroup_] = std::string(parsed.name);
      entriesOfGroup.clear();
      if (!groups.insert(parsed.name).second) return FailRepeated(n, "Repeating group name", parsed.name);
    }
  }
  return true;
}

std::string INIToRead::GetValue(std::string_view name, const std::string& defaultValue) {
  const std::size_t found = FindEntry(name);
  if (found == 0) {
    lastError_ = "Value is not found";
    return defaultValue;
  }
  return entryValues_[found - 1];
}

// Index of the matching entry plus 1, or 0 when the current group has none.
std::size_t INIToRead::FindEntry(std::string_view name) const {
  if (!loaded_) return 0;
  std::size_t first = 0;
  std::size_t count = ungroupedCount_;
  if (currentGroup_ != groupCount_) {
    first = groupFirstEntry_[currentGroup_];
    count = groupEntryCount_[currentGroup_];
  }
  for (std::size_t i = first; i < first + count; ++i) {
    if (entryNames_[i] == name) return i + 1;
  }
  return 0;
}

void INIToRead::Clear() {
  groupNames_.clear();
  groupFirstEntry_.clear();
  groupEntryCount_.clear();
  entryNames_.clear();
  entryValues_.clear();
  currentGroup_ = 0;
  groupCount_ = 0;
  ungroupedCount_ = 0;
  loaded_ = false;
}

bool INIToRead::Fail(const char* message) {
  lastError_ = message;
  errorLine_ = 0;
  repeatedName_.clear();
  return false;
}

bool INIToRead::FailAt(std::size_t lineIndex, const char* message) {
  Fail(message);
  errorLine_ = lineIndex + 1;
  return false;
}

bool INIToRead::FailRepeated(std::size_t lineIndex, const char* message, std::string_view name) {
  FailAt(lineIndex, message);
  repeatedName_ = name;
  return false;
}

}  // namespace gvde
