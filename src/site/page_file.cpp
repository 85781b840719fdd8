#include "site/page_file.h"

namespace gvde {

// Runs of plain bytes are written as they are, each special byte as its entity.
PageFile& PageFile::operator<<(GameText game) {
  const std::string_view text = game.text;
  std::size_t start = 0;
  for (std::size_t at = 0; at < text.size(); ++at) {
    const std::string_view entity = HtmlEntity(text[at]);
    if (entity.empty()) continue;
    file_.Write(text.substr(start, at - start));
    file_.Write(entity);
    start = at + 1;
  }
  file_.Write(text.substr(start));
  return *this;
}

std::string SiteFolder::DataFile(std::string_view fileName) const {
  std::string path = outputDir_;
  path += "data";
  path += PathSeparator();
  path += fileName;
  return path;
}

bool SiteFolder::WriteDataFile(std::string_view fileName, std::span<const std::uint8_t> bytes) const {
  OutputFile file;
  if (!file.Create(DataFile(fileName))) return false;
  file.Write(bytes.data(), bytes.size());
  return file.Close();
}

}  // namespace gvde
