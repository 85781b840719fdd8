#include "site/record_pages.h"

#include <optional>
#include <string>

namespace gvde {

Step WriteRecordPages(const SiteFolder& folder, const Category& category, FirstCharCount& counts,
                      Host& host) {
  const auto total = static_cast<std::uint32_t>(category.names.size());
  std::optional<PictureStream> pictures;
  if (category.pictures) pictures.emplace(category.pictures->encoder, total, category.pictures->prepare);
  for (std::uint32_t n = 0; n < total; ++n) {
    const std::string fileName = std::string(category.prefix) + NumToStr(n) + ".htm";
    Step written = folder.WritePage(fileName, [&](PageFile& page) {
      counts.Count(category.names[n]);
      category.writePage(page, n);
      return Step::Next();
    });
    if (!written) return written;
    if (pictures) {
      // Picture n is taken after its page, so its file and its question keep their place.
      if (Step pictured = category.pictures->commit(n, pictures->Next()); !pictured) return pictured;
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
