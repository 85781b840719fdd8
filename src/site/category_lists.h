// Category navigation: the category page, the numeric, alphabetic and first-character
// lists, and the one order of names used by every sorted list of the site.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "site/page_file.h"
#include "site/run_state.h"

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

// A category's own lists, written into the open category page. On failure it reports
// through RunError itself and returns false; it never closes the page.
using CategoryListHook = std::function<bool(PageFile& categoryPage)>;

// Writes data/<prefix>.htm (calling `hook` in the middle), <prefix>n.htm, <prefix>a.htm and
// <prefix>c<c>.htm. `names` holds the category's record names in table order.
bool WriteCategoryLists(RunState& run, std::string_view prefix, std::string_view title,
                        const std::vector<std::string_view>& names, const CategoryListHook& hook);

// A sorted record list page: head, `title` (raw HTML pieces already joined), then for each
// entry in SortByName order "<br><a href=\"" recordPrefix number ".htm\" target=\"out\">"
// name "</a>", then "</body></html>". `entries` is sorted in place. Reports
// "Cannot write to file" through RunError and returns false when the file cannot be written.
bool WriteSortedListPage(RunState& run, const std::string& fileName, std::string_view title,
                         std::vector<NamedRecord>& entries, std::string_view recordPrefix);

}  // namespace gvde
