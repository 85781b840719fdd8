#include "site/record_pages.h"

#include <string>

namespace gvde {

Step WriteRecordPages(const SiteFolder& folder, const Category& category, FirstCharCount& counts) {
  for (std::uint32_t n = 0; n < category.names.size(); ++n) {
    const std::string fileName = std::string(category.prefix) + NumToStr(n) + ".htm";
    Step written = folder.WritePage(fileName, [&](PageFile& page) {
      counts.Count(category.names[n]);
      category.writePage(page, n);
      return Step::Next();
    });
    if (!written) return written;
    if (category.writePicture) {
      if (Step pictured = category.writePicture(n); !pictured) return pictured;
    }
  }
  return Step::Next();
}

Step WriteCategory(const SiteFolder& folder, const Category& category) {
  FirstCharCount counts;
  if (Step written = WriteRecordPages(folder, category, counts); !written) return written;
  return WriteCategoryLists(folder, category.prefix, category.title, category.names, counts, category.lists);
}

}  // namespace gvde
