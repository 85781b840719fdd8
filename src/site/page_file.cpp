#include "site/page_file.h"

namespace gvde {

std::string SiteFolder::DataFile(std::string_view fileName) const {
  std::string path = outputDir_;
  path += "data";
  path += PathSeparator();
  path += fileName;
  return path;
}

Step SiteFolder::OpenDataFolder() {
  const std::string dir = outputDir_ + "data";
  if ((IsDirectory(dir) || MakeDirectory(dir)) && data_.Open(dir)) return Step::Next();
  return Step::Fail(std::string(kCannotCreateDataDir), DescribeFileError(dir));
}

}  // namespace gvde
