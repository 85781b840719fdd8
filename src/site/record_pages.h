// The one loop that writes a category: a page per record (and its picture, where the category
// has pictures), then the category's navigation pages.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "image/picture_encoder.h"
#include "site/category_lists.h"
#include "site/page_file.h"
#include "site/run.h"
#include "site/step.h"

namespace gvde {

// Everything the loop needs to know about a category; each category file builds one.
struct Category {
  std::string_view prefix;              // "i": pages data/i<N>.htm, lists data/i.htm, ia.htm, ...
  std::string_view title;               // "Items"
  std::vector<std::string_view> names;  // record names in table order
  std::function<void(PageFile& page, std::uint32_t number)> writePage;
  CategoryListHook lists;
  // Categories with a picture per record: the word of its question ("monster"), and what reads
  // picture n from the archives. Pictures are made ready in record order on the run's thread,
  // ahead of the pages as far as the write pipeline's window reaches, encoded on its threads,
  // and written (or given up) right after their record's page.
  std::string_view pictureKind = {};
  std::function<PictureJob(std::uint32_t number)> preparePicture = {};  // empty: no pictures
};

// Adds the record pages (and pictures) of the category to the run's write pipeline, counting
// names into `counts` and telling the person at the screen the progress after each record. The
// pipeline may still hold them on return: `category` must outlive that (until its Drain or
// Abandon), and a failure among them is told by a later Add or by the Drain.
Step WriteRecordPages(Run& run, const Category& category, FirstCharCount& counts);

// The record pages, then WriteCategoryLists with the category's own lists, as above.
Step WriteCategory(Run& run, const Category& category);

}  // namespace gvde
