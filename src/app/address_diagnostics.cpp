#include "app/address_diagnostics.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "ini/ini_to_read.h"

namespace gvde {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::array<std::string_view, 7> kKeys = {"ItemTable", "UniqueTable", "MonsterTable", "BossTable",
                                                   "SpellTable", "AffixTable", "Title"};
// A name this close to a missing key (letters added, dropped or changed) is taken for a typo.
constexpr std::size_t kTypoDistance = 3;
constexpr std::size_t kMaxAddressDigits = 8;

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (Lower(c) >= 'a' && Lower(c) <= 'f'); }

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

// Letters to add, drop or change to turn one name into the other, ignoring case.
std::size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (Lower(a[i - 1]) == Lower(b[j - 1]) ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

bool IsKnownKey(std::string_view name) { return std::find(kKeys.begin(), kKeys.end(), name) != kKeys.end(); }

std::string LineText(const std::string& path, const IniEntryLine& entry) {
  return path + " line " + std::to_string(entry.line) + ": ";
}

std::string ValueDetail(const std::string& path, const IniEntryLine& entry) {
  const std::string& v = entry.value;
  const std::string where = LineText(path, entry) + entry.name;
  const std::string quoted = " value \"" + v + "\"";
  if (v.empty()) return where + " has no value";
  if (v.size() > 1 && v[0] == '0' && Lower(v[1]) == 'x') return where + quoted + ": write the digits without " + v.substr(0, 2);
  if (v[0] == '$') return where + quoted + ": write the digits without $";
  const auto bad = std::find_if(v.begin(), v.end(), [](char c) { return !IsHexDigit(c); });
  if (bad != v.end()) {
    if (v.find(';') != std::string::npos) return where + quoted + ": a comment needs a line of its own, starting with \";\"";
    if (*bad == ' ') return where + quoted + " has a space in it";
    return where + quoted + ": bad hex digit \"" + std::string(1, *bad) + "\"";
  }
  if (v.size() > kMaxAddressDigits) return where + quoted + " has more than 8 digits";
  return where + quoted + " is 0: give the address in GV.exe";
}

}  // namespace

std::string ByteOrderMarkDetail(const std::string& path, std::string_view text) {
  if (!text.starts_with(kByteOrderMark)) return {};
  return path + " starts with a UTF-8 byte order mark: save it without one";
}

std::string AddressKeyDetail(const std::string& path, std::string_view text, std::string_view key) {
  const std::vector<IniEntryLine> entries = ListEntryLines(text);
  // Lookups read the entries above the first group line, or the first group when there are none.
  const bool ungrouped = std::any_of(entries.begin(), entries.end(), [](const IniEntryLine& e) { return e.group == 0; });
  const std::size_t searched = ungrouped ? 0 : 1;
  for (const IniEntryLine& entry : entries) {
    if (entry.group == searched && entry.name == key) return ValueDetail(path, entry);
  }
  for (const IniEntryLine& entry : entries) {
    if (entry.name != key) continue;
    return LineText(path, entry) + std::string(key) + " stands under a group line, but only " +
           (ungrouped ? "the lines above the first group line are read" : "the first group is read");
  }
  const IniEntryLine* typo = nullptr;
  std::size_t typoDistance = kTypoDistance + 1;
  for (const IniEntryLine& entry : entries) {
    if (entry.group != searched || IsKnownKey(entry.name)) continue;
    if (SameIgnoringCase(entry.name, key)) {
      return LineText(path, entry) + "unknown key \"" + entry.name + "\": keys are case-sensitive, write " + std::string(key);
    }
    const std::size_t distance = EditDistance(entry.name, key);
    if (distance < typoDistance) {
      typo = &entry;
      typoDistance = distance;
    }
  }
  if (typo != nullptr) return LineText(path, *typo) + "unknown key \"" + typo->name + "\"";
  return path + ": no " + std::string(key) + " line";
}

}  // namespace gvde
