// The one loop that writes a category: a page per record (and its picture, where the category
// has pictures), then the category's navigation pages.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "image/picture_encoder.h"
#include "site/category_lists.h"
#include "site/host.h"
#include "site/page_file.h"
#include "site/step.h"

namespace gvde {

// A category's pictures, one per record: made ready on the run's thread in record order, ahead
// of the pages as far as the encoder's window reaches, encoded on its threads, and written (or
// given up) right after their record's page.
struct CategoryPictures {
  PictureEncoder& encoder;
  // Reads what picture n needs from the archives.
  std::function<PictureJob(std::uint32_t number)> prepare;
  // Writes picture n, or asks what to do when it could not be made.
  std::function<Step(std::uint32_t number, const EncodedPicture& picture)> commit;
};

// Everything the loop needs to know about a category; each category file builds one.
struct Category {
  std::string_view prefix;  // "i": pages data/i<N>.htm, lists data/i.htm, ia.htm, ...
  std::string_view title;   // "Items"
  std::vector<std::string_view> names;  // record names in table order
  std::function<void(PageFile& page, std::uint32_t number)> writePage;
  CategoryListHook lists;
  std::optional<CategoryPictures> pictures;  // none for categories without pictures
};

// The record pages (and pictures) of the category, counting names into `counts` and telling
// `host` the progress after each record.
Step WriteRecordPages(const SiteFolder& folder, const Category& category, FirstCharCount& counts, Host& host);

// The record pages, then WriteCategoryLists with the category's own lists.
Step WriteCategory(const SiteFolder& folder, const Category& category, Host& host);

// The record names of a table, in table order.
template <typename Record>
std::vector<std::string_view> NamesOf(const std::vector<Record>& records) {
  std::vector<std::string_view> names;
  names.reserve(records.size());
  for (const Record& record : records) names.emplace_back(record.name);
  return names;
}

}  // namespace gvde
