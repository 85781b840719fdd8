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
// alphabetic list; else the names beginning with byte c. A list that does not hold as many
// names as were counted ends the run once its head is written.
void AddFirstByteLists(ListPages& pages, std::size_t c, std::string_view prefix, std::string_view title,
                       std::uint32_t counted, std::vector<NamedRecord> entries) {
  const std::string fileName = c == 0 ? FileName(prefix, "n.htm") : FileName(prefix, "c" + SlotText(c) + ".htm");
  std::vector<NamedRecord> alphabetic;
  if (c == 0) alphabetic = entries;
  const bool counts = entries.size() == counted;
  pages.push_back({fileName, [c, prefix = std::string(prefix), title = std::string(title), counts,
                              entries = std::move(entries)](PageFile& page) mutable {
                     page << kPageHead << title;
                     if (c > 0) page << " (" << GameText{ByteText(c)} << ")";
                     if (!counts) return Step::Fail(std::string(kCountsDisagree));
                     if (c == 0) {
                       WriteNumericBody(page, entries, prefix);
                     } else {
                       SortByName(entries);
                       WriteSortedBody(page, entries, prefix);
                     }
                     page << "</body></html>";
                     return Step::Next();
                   }});
  if (c == 0) pages.push_back(SortedListPage(FileName(prefix, "a.htm"), std::string(title), std::move(alphabetic), prefix));
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

Step WriteCategoryLists(WritePipeline& files, std::string_view prefix, std::string_view title,
                        const std::vector<std::string_view>& names, const FirstCharCount& counts,
                        const CategoryListHook& hook) {
  ListPages pages;
  {
    PageFile categoryPage;
    WriteCategoryHead(categoryPage, prefix, title, counts);
    if (hook) {
      categoryPage << "<hr>";
      hook(categoryPage, pages);
    }
    categoryPage << "</body></html>";
    if (Step added = files.AddPage(FileName(prefix, ".htm"), categoryPage); !added) return added;
  }
  FirstByteGroups groups = GroupByFirstByte(names);
  for (std::size_t c = 0; c < kSlots; ++c) {
    if (counts[c] != 0) AddFirstByteLists(pages, c, prefix, title, counts[c], std::move(groups[c]));
  }
  for (ListPage& page : pages) {
    if (Step added = files.AddPage(std::move(page.fileName), std::move(page.make)); !added) return added;
  }
  return Step::Next();
}

ListPage SortedListPage(std::string fileName, std::string title, std::vector<NamedRecord> entries,
                        std::string_view recordPrefix) {
  return {std::move(fileName), [title = std::move(title), entries = std::move(entries),
                                recordPrefix = std::string(recordPrefix)](PageFile& page) mutable {
            page << kPageHead << title;
            SortByName(entries);
            WriteSortedBody(page, entries, recordPrefix);
            page << "</body></html>";
            return Step::Next();
          }};
}

void WriteValueSection(PageFile& categoryPage, const ValueSection& section, ValueLists& lists, ListPages& pages) {
  bool first = true;
  for (auto& [value, entries] : lists) {
    if (!first) categoryPage << "<br>";
    first = false;
    std::string fileName = std::string(section.filePrefix) + NumToStr(value) + ".htm";
    categoryPage << "<a href=\"" << fileName << "\" target=\"nav\">" << section.linkText(value) << "</a>";
    pages.push_back(SortedListPage(std::move(fileName), section.title(value), std::move(entries), section.recordPrefix));
  }
}

}  // namespace gvde
