#include "site/category_lists.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
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
                       const FirstCharCount& counts) {
  page << kPageHead << title << "<br><a href=\"" << prefix
       << "a.htm\" target=\"nav\">All (alphabetic)</a><br><a href=\"" << prefix
       << "n.htm\" target=\"nav\">All (numeric)</a><hr>";
  bool first = true;
  for (std::size_t c = 1; c < kSlots; ++c) {
    if (counts[c] == 0) continue;
    if (!first) page << "<br>";
    first = false;
    page << "<a href=\"" << prefix << "c" << SlotText(c) << ".htm\" target=\"nav\">&nbsp;" << GameText{ByteText(c)}
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
    page << "<br><a href=\"" << recordPrefix << entry.number << ".htm\" target=\"out\">" << GameText{entry.name} << "</a>";
  }
}

void WriteNumericBody(PageFile& page, const std::vector<NamedRecord>& entries, std::string_view prefix) {
  for (std::size_t k = 0; k < entries.size(); ++k) {
    page << "<br><a href=\"" << prefix << entries[k].number << ".htm\" target=\"out\">"
         << static_cast<std::uint32_t>(k) << ": " << GameText{entries[k].name} << "</a>";
  }
}

std::string FileName(std::string_view prefix, std::string_view rest) {
  std::string name(prefix);
  name += rest;
  return name;
}

// The list of slot c: for slot 0 the numeric list of the whole category, followed by its
// alphabetic list; else the names beginning with byte c.
Step WriteFirstByteList(const SiteFolder& folder, std::size_t c, std::string_view prefix, std::string_view title,
                        std::uint32_t counted, std::vector<NamedRecord>& entries) {
  const std::string fileName = c == 0 ? FileName(prefix, "n.htm") : FileName(prefix, "c" + SlotText(c) + ".htm");
  Step written = folder.WritePage(fileName, [&](PageFile& page) {
    page << kPageHead << title;
    if (c > 0) page << " (" << GameText{ByteText(c)} << ")";
    if (entries.size() != counted) return Step::Fail(std::string(kCountsDisagree));
    if (c == 0) {
      WriteNumericBody(page, entries, prefix);
    } else {
      SortByName(entries);
      WriteSortedBody(page, entries, prefix);
    }
    page << "</body></html>";
    return Step::Next();
  });
  if (!written || c != 0) return written;
  return WriteSortedListPage(folder, FileName(prefix, "a.htm"), title, entries, prefix);
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

Step WriteCategoryLists(const SiteFolder& folder, std::string_view prefix, std::string_view title,
                        const std::vector<std::string_view>& names, const FirstCharCount& counts,
                        const CategoryListHook& hook) {
  Step written = folder.WritePage(FileName(prefix, ".htm"), [&](PageFile& page) {
    WriteCategoryHead(page, prefix, title, counts);
    if (hook) {
      page << "<hr>";
      if (Step hooked = hook(page); !hooked) return hooked;
    }
    page << "</body></html>";
    return Step::Next();
  });
  if (!written) return written;

  FirstByteGroups groups = GroupByFirstByte(names);
  for (std::size_t c = 0; c < kSlots; ++c) {
    if (counts[c] == 0) continue;
    if (Step listed = WriteFirstByteList(folder, c, prefix, title, counts[c], groups[c]); !listed) return listed;
  }
  return Step::Next();
}

Step WriteSortedListPage(const SiteFolder& folder, const std::string& fileName, std::string_view title,
                         std::vector<NamedRecord>& entries, std::string_view recordPrefix) {
  return folder.WritePage(fileName, [&](PageFile& page) {
    page << kPageHead << title;
    SortByName(entries);
    WriteSortedBody(page, entries, recordPrefix);
    page << "</body></html>";
    return Step::Next();
  });
}

Step WriteValueSection(const SiteFolder& folder, PageFile& categoryPage, const ValueSection& section,
                       ValueLists& lists) {
  bool first = true;
  for (auto& [value, entries] : lists) {
    if (!first) categoryPage << "<br>";
    first = false;
    const std::string fileName = std::string(section.filePrefix) + NumToStr(value) + ".htm";
    categoryPage << "<a href=\"" << fileName << "\" target=\"nav\">" << section.linkText(value) << "</a>";
    Step listed = WriteSortedListPage(folder, fileName, section.title(value), entries, section.recordPrefix);
    if (!listed) return listed;
  }
  return Step::Next();
}

}  // namespace gvde
