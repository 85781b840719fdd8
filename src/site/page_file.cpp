#include "site/page_file.h"

#include "platform/file_targets.h"

namespace gvde {

namespace {

// A text kept for the next page made on the thread; a rare large page does not keep its buffer.
constexpr std::size_t kLargestSpareText = std::size_t{1} << 20;
thread_local std::string spareText;

}  // namespace

PageFile::PageFile() : text_(std::move(spareText)) {
  spareText = {};
  text_.clear();
}

PageFile::~PageFile() {
  if (text_.capacity() == 0 || text_.capacity() > kLargestSpareText) return;
  if (spareText.capacity() < text_.capacity()) spareText = std::move(text_);
}

std::vector<std::uint8_t> PageFile::Bytes() const {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text_.data());
  return std::vector<std::uint8_t>(bytes, bytes + text_.size());
}

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
