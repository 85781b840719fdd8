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

// Per category: slot 0 counts the record pages written, slot c the names beginning with byte c.
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

// A category's own lists, written into the open category page. It never closes the page.
using CategoryListHook = std::function<Step(PageFile& categoryPage)>;

// Writes data/<prefix>.htm (calling `hook` in the middle), <prefix>n.htm, <prefix>a.htm and
// <prefix>c<c>.htm. `names` holds the category's record names in table order.
Step WriteCategoryLists(const SiteFolder& folder, std::string_view prefix, std::string_view title,
                        const std::vector<std::string_view>& names, const FirstCharCount& counts,
                        const CategoryListHook& hook);

// A sorted record list page: head, `title` (raw HTML pieces already joined), then for each
// entry in SortByName order "<br><a href=\"" recordPrefix number ".htm\" target=\"out\">"
// name "</a>", then "</body></html>". `entries` is sorted in place.
Step WriteSortedListPage(const SiteFolder& folder, const std::string& fileName, std::string_view title,
                         std::vector<NamedRecord>& entries, std::string_view recordPrefix);

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

Step WriteValueSection(const SiteFolder& folder, PageFile& categoryPage, const ValueSection& section,
                       ValueLists& lists);

}  // namespace gvde
