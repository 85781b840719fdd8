// Category navigation: the category page, the numeric, alphabetic and first-character
// lists, the value sections of the categories' own lists, and the one order of names used by
// every sorted list of the site.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "site/page_file.h"
#include "site/step.h"
#include "site/write_pipeline.h"

namespace gvde {

struct NamedRecord {
  std::string_view name;
  std::uint32_t number = 0;
};

// True when entry a must come after entry b: names compared as unsigned bytes, a shorter
// name first, equal names by record number.
bool NameAfter(std::string_view nameA, std::string_view nameB, std::uint32_t numberA, std::uint32_t numberB);

// Ascending under NameAfter (the same result as the exchange sort of the original lists).
void SortByName(std::vector<NamedRecord>& entries);

// Per category: slot 0 counts the record pages, slot c the names beginning with byte c.
class FirstCharCount {
 public:
  // An empty name is counted once, as a page only.
  void Count(std::string_view name) {
    ++slots_[0];
    if (!name.empty()) ++slots_[static_cast<unsigned char>(name[0])];
  }
  std::uint32_t operator[](std::size_t slot) const { return slots_[slot]; }
  std::uint32_t& operator[](std::size_t slot) { return slots_[slot]; }

 private:
  std::array<std::uint32_t, 256> slots_{};
};

// A list page of the data folder, made on any thread: data/<fileName> and what writes it.
struct ListPage {
  std::string fileName;
  PageJob make;
};
using ListPages = std::vector<ListPage>;

// A category's own lists: their links written into the category page, and their list pages,
// in order, into `pages`.
using CategoryListHook = std::function<void(PageFile& categoryPage, ListPages& pages)>;

// Adds data/<prefix>.htm (calling `hook` in the middle), the hook's list pages,
// <prefix>n.htm, <prefix>a.htm and <prefix>c<c>.htm to the write pipeline, in that order; their
// jobs hold what they need. `names` holds the category's record names in table order. The
// category page is made whole before its list pages are written.
Step WriteCategoryLists(WritePipeline& files, std::string_view prefix, std::string_view title,
                        const std::vector<std::string_view>& names, const FirstCharCount& counts,
                        const CategoryListHook& hook);

// A sorted record list page: head, `title` (raw HTML pieces already joined), then for each
// entry in SortByName order "<br><a href=\"" recordPrefix number ".htm\" target=\"out\">"
// name "</a>", then "</body></html>". The entries are sorted when the page is made.
ListPage SortedListPage(std::string fileName, std::string title, std::vector<NamedRecord> entries,
                        std::string_view recordPrefix);

// The records of a category grouped by a value (a level, a class, an effect): only the values
// that occur, ascending, each group in table order.
using ValueLists = std::map<std::uint32_t, std::vector<NamedRecord>>;

// One section of a category page: for each value a link (with "<br>" between links) to the
// list page filePrefix + value + ".htm", and that page with the value's records.
struct ValueSection {
  std::string_view filePrefix;    // "il"
  std::string_view recordPrefix;  // "i"
  std::function<std::string(std::uint32_t)> linkText;
  std::function<std::string(std::uint32_t)> title;
};

// The links go into the category page, the list pages (which take the entries) into `pages`.
void WriteValueSection(PageFile& categoryPage, const ValueSection& section, ValueLists& lists, ListPages& pages);

}  // namespace gvde
