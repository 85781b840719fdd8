#include "site/page_file.h"

#include "platform/file_targets.h"

namespace gvde {

std::string SiteFolder::DataFile(std::string_view fileName) const {
  std::string path = outputDir_;
  path += "data";
  path += PathSeparator();
  path += fileName;
  return path;
}

Step SiteFolder::MakeOutputFolder() const {
  ClearFileError();
  if (MakeDirectories(outputDir_)) return Step::Next();
  // The level that could not be made is the one named.
  return Step::Fail(std::string(kCannotCreateDataDir), DescribeFileError(LastFileError().path));
}

Step SiteFolder::OpenDataFolder() {
  const std::string dir = outputDir_ + "data";
  if ((IsDirectory(dir) || MakeDirectory(dir)) && data_.Open(dir)) return Step::Next();
  return Step::Fail(std::string(kCannotCreateDataDir), DescribeFileError(dir));
}

}  // namespace gvde
