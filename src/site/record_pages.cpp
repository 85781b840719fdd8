#include "site/record_pages.h"

#include <string>

namespace gvde {

Step WriteRecordPages(const SiteFolder& folder, const Category& category, FirstCharCount& counts,
                      Host& host) {
  const auto total = static_cast<std::uint32_t>(category.names.size());
  for (std::uint32_t n = 0; n < total; ++n) {
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
    host.ShowProgress(category.title, n + 1, total);
  }
  return Step::Next();
}

Step WriteCategory(const SiteFolder& folder, const Category& category, Host& host) {
  FirstCharCount counts;
  if (Step written = WriteRecordPages(folder, category, counts, host); !written) return written;
  return WriteCategoryLists(folder, category.prefix, category.title, category.names, counts, category.lists);
}

}  // namespace gvde
