#include "site/category_lists.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <new>
#include <string>
#include <string_view>
#include <vector>

namespace gvde {

namespace {

constexpr std::size_t kSlots = 256;
using FirstByteGroups = std::array<std::vector<NamedRecord>, kSlots>;

std::string_view ByteText(std::size_t c) {
  static const std::array<char, kSlots> kBytes = [] {
    std::array<char, kSlots> bytes{};
    for (std::size_t i = 0; i < kSlots; ++i) bytes[i] = static_cast<char>(static_cast<unsigned char>(i));
    return bytes;
  }();
  return std::string_view(&kBytes[c], 1);
}

std::string SlotText(std::size_t c) { return NumToStr(static_cast<std::uint32_t>(c)); }

void WriteCategoryHead(PageFile& page, std::string_view prefix, std::string_view title,
                       const std::array<std::uint32_t, kSlots>& counts) {
  page << kPageHead << title << "<br><a href=\"" << prefix
       << "a.htm\" target=\"nav\">All (alphabetic)</a><br><a href=\"" << prefix
       << "n.htm\" target=\"nav\">All (numeric)</a><hr>";
  bool first = true;
  for (std::size_t c = 1; c < kSlots; ++c) {
    if (counts[c] == 0) continue;
    if (!first) page << "<br>";
    first = false;
    page << "<a href=\"" << prefix << "c" << SlotText(c) << ".htm\" target=\"nav\">&nbsp;" << ByteText(c)
         << "&nbsp;</a>";
  }
}

// Slot 0 takes every record; slot c the records whose name starts with byte c. One pass,
// table order kept inside each group.
FirstByteGroups GroupByFirstByte(const std::vector<std::string_view>& names) {
  FirstByteGroups groups;
  groups[0].reserve(names.size());
  for (std::size_t r = 0; r < names.size(); ++r) {
    const NamedRecord entry{names[r], static_cast<std::uint32_t>(r)};
    groups[0].push_back(entry);
    if (!names[r].empty()) groups[static_cast<unsigned char>(names[r][0])].push_back(entry);
  }
  return groups;
}

void WriteSortedBody(PageFile& page, const std::vector<NamedRecord>& entries, std::string_view recordPrefix) {
  for (const NamedRecord& entry : entries) {
    page << "<br><a href=\"" << recordPrefix << entry.number << ".htm\" target=\"out\">" << entry.name << "</a>";
  }
}

void WriteNumericBody(PageFile& page, const std::vector<NamedRecord>& entries, std::string_view prefix) {
  for (std::size_t k = 0; k < entries.size(); ++k) {
    page << "<br><a href=\"" << prefix << entries[k].number << ".htm\" target=\"out\">"
         << static_cast<std::uint32_t>(k) << ": " << entries[k].name << "</a>";
  }
}

std::string FileName(std::string_view prefix, std::string_view rest) {
  std::string name(prefix);
  name += rest;
  return name;
}

// The numeric list of the whole category, then its alphabetic list.
bool WriteAllLists(RunState& run, PageFile& numeric, std::string_view prefix, std::string_view title,
                   std::vector<NamedRecord>& entries) {
  WriteNumericBody(numeric, entries, prefix);
  numeric << "</body></html>";
  if (!numeric.Close()) return RunError(run, "Cannot write to file");

  PageFile alphabetic;
  if (!alphabetic.Create(run.DataFile(FileName(prefix, "a.htm")))) return RunError(run, "Cannot write to file");
  alphabetic << kPageHead << title;
  SortByName(entries);
  WriteSortedBody(alphabetic, entries, prefix);
  alphabetic << "</body></html>";
  if (!alphabetic.Close()) return RunError(run, "Cannot write to file");
  return true;
}

bool WriteFirstByteList(RunState& run, std::size_t c, std::string_view prefix, std::string_view title,
                        std::vector<NamedRecord>& entries) {
  PageFile page;
  const std::string fileName = c == 0 ? FileName(prefix, "n.htm") : FileName(prefix, "c" + SlotText(c) + ".htm");
  if (!page.Create(run.DataFile(fileName))) return RunError(run, "Cannot write to file");
  page << kPageHead << title;
  if (c > 0) page << " (" << ByteText(c) << ")";

  if (entries.size() != run.FirstCharCount[c]) {
    static_cast<void>(page.Close());  // the count message is the one reported
    return RunError(run, "Something is wrong...");
  }
  if (c == 0) return WriteAllLists(run, page, prefix, title, entries);

  SortByName(entries);
  WriteSortedBody(page, entries, prefix);
  page << "</body></html>";
  if (!page.Close()) return RunError(run, "Cannot write to file");
  return true;
}

}  // namespace

bool NameAfter(std::string_view nameA, std::string_view nameB, std::uint32_t numberA, std::uint32_t numberB) {
  const std::size_t common = std::min(nameA.size(), nameB.size());
  for (std::size_t i = 0; i < common; ++i) {
    const auto byteA = static_cast<unsigned char>(nameA[i]);
    const auto byteB = static_cast<unsigned char>(nameB[i]);
    if (byteA != byteB) return byteA > byteB;
  }
  if (nameA.size() != nameB.size()) return nameA.size() > nameB.size();
  return numberA > numberB;
}

void SortByName(std::vector<NamedRecord>& entries) {
  std::sort(entries.begin(), entries.end(), [](const NamedRecord& a, const NamedRecord& b) {
    return NameAfter(b.name, a.name, b.number, a.number);
  });
}

bool WriteCategoryLists(RunState& run, std::string_view prefix, std::string_view title,
                        const std::vector<std::string_view>& names, const CategoryListHook& hook) {
  PageFile page;
  if (!page.Create(run.DataFile(FileName(prefix, ".htm")))) return RunError(run, "Cannot write to file");
  WriteCategoryHead(page, prefix, title, run.FirstCharCount);
  if (hook) {
    page << "<hr>";
    if (!hook(page)) {
      static_cast<void>(page.Close());  // the hook has reported already
      return false;
    }
  }
  page << "</body></html>";
  if (!page.Close()) return RunError(run, "Cannot write to file");

  FirstByteGroups groups;
  try {
    groups = GroupByFirstByte(names);
  } catch (const std::bad_alloc&) {
    return RunError(run, "Not enough memory");
  }
  for (std::size_t c = 0; c < kSlots; ++c) {
    if (run.FirstCharCount[c] == 0) continue;
    if (!WriteFirstByteList(run, c, prefix, title, groups[c])) return false;
  }
  return true;
}

bool WriteSortedListPage(RunState& run, const std::string& fileName, std::string_view title,
                         std::vector<NamedRecord>& entries, std::string_view recordPrefix) {
  PageFile page;
  if (!page.Create(run.DataFile(fileName))) return RunError(run, "Cannot write to file");
  page << kPageHead << title;
  SortByName(entries);
  WriteSortedBody(page, entries, recordPrefix);
  page << "</body></html>";
  if (!page.Close()) return RunError(run, "Cannot write to file");
  return true;
}

}  // namespace gvde
