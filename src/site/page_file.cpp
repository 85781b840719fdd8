#include "site/page_file.h"

namespace gvde {

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
