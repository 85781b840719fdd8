// INIToRead: a strict, read-only INI reader. The whole file must be valid or the load fails,
// leaving a message that says why; lookups then search one group by exact entry name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace gvde {

// Splits single-byte text into lines ending at CR, LF or CR LF (the ends are dropped).
// A last line without a line end is kept; text ending in a line end gives no extra line.
std::vector<std::string_view> SplitLines(std::string_view text);

// One entry line of an INI text, for messages that point at a line.
struct IniEntryLine {
  std::size_t line = 0;   // from 1
  std::size_t group = 0;  // 0 above the first group line, n under the n-th group line
  std::string name;
  std::string value;
};

// The entry lines of `text` as a load with value comments off reads them; lines that do not
// parse are left out.
std::vector<IniEntryLine> ListEntryLines(std::string_view text);

// Larger .ini files are refused before anything is read, as files that cannot be read.
constexpr std::uint64_t kMaxIniFileSize = 1u << 20;

class INIToRead {
 public:
  INIToRead() = default;

  // True when the whole file was read and valid; otherwise LastError() says why. A file
  // above kMaxIniFileSize fails as unreadable, with "Cannot read INI file".
  bool Load(const std::string& fileName);
  // The same for the contents of a file held in memory.
  bool LoadText(std::string_view text);

  // The value of the first entry of the current group named exactly `name`; otherwise
  // `defaultValue`, and the last error becomes "Value is not found".
  std::string GetValue(std::string_view name, const std::string& defaultValue);

  // When set before a load, a ";" after the first character of a value ends the value.
  void SetValueComments(bool on) { valueComments_ = on; }

  const std::string& LastError() const { return lastError_; }
  // The line (from 1) that the last load failed on, or 0 when the failure is not about a line.
  std::size_t ErrorLine() const { return errorLine_; }
  // The entry or group name that the last load found twice; empty for other failures.
  const std::string& RepeatedName() const { return repeatedName_; }

 private:
  void Clear();
  bool CheckLines(const std::vector<std::string_view>& lines);
  bool StoreLines(const std::vector<std::string_view>& lines);
  bool Fail(const char* message);
  bool FailAt(std::size_t lineIndex, const char* message);
  bool FailRepeated(std::size_t lineIndex, const char* message, std::string_view name);
  std::size_t FindEntry(std::string_view name) const;

  std::vector<std::string> groupNames_;
  std::vector<std::size_t> groupFirstEntry_;
  std::vector<std::size_t> groupEntryCount_;
  std::vector<std::string> entryNames_;
  std::vector<std::string> entryValues_;
  // Equal to groupCount_ for "no group": the entries before the first group line.
  std::size_t currentGroup_ = 0;
  std::size_t groupCount_ = 0;
  std::size_t ungroupedCount_ = 0;
  bool loaded_ = false;
  std::string lastError_;
  std::size_t errorLine_ = 0;
  std::string repeatedName_;
  bool valueComments_ = false;
};

}  // namespace gvde
