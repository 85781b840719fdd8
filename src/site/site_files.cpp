#include "site/site_files.h"

#include <string_view>

#include "site/page_file.h"

namespace gvde {
namespace {

constexpr std::string_view kIndexHead =
    "<html><head><title>Grimveil info</title><link rel=\"stylesheet\" type=\"text/css\" "
    "href=\"data/style.css\" media=\"all\"></head><body><table width=\"100%\" height=\"100%\"><tr "
    "height=\"100%\"><td width=\"12%\" align=\"center\"><p>Correct for<br>";

constexpr std::string_view kIndexLinks =
    "</p><a href=\"data/i.htm\" target=\"ab\">Items</a><br><a href=\"data/u.htm\" "
    "target=\"ab\">Uniques</a><br><a href=\"data/m.htm\" target=\"ab\">Monsters</a><br><a "
    "href=\"data/b.htm\" target=\"ab\">Bosses</a><br><a href=\"data/p.htm\" "
    "target=\"ab\">Prefixes</a><br><a href=\"data/s.htm\" target=\"ab\">Suffixes</a>";

constexpr std::string_view kIndexFrames =
    "</td><td "
    "width=\"15%\"><iframe name=\"ab\" width=\"100%\" height=\"100%\"></iframe></td><td "
    "width=\"15%\"><iframe name=\"nav\" width=\"100%\" height=\"100%\"></iframe></td><td "
    "width=\"58%\"><iframe name=\"out\" width=\"100%\" height=\"100%\"></iframe></td></table></body></html>";

constexpr std::string_view kStyleLines[] = {
    "body {background-color: #330; color: #FC0;}",
    "p {color: #FC0;}",
    "ul {color: #FC0;}",
    "a:visited {color: #F90;}",
    "a:active {color: #F90;}",
    "a:hover {color: #F90;}",
    "a {color: #F90;}",
    "h3 {color: #FC0;}",
};

}  // namespace

Step WriteIndexPage(Run& run, std::string_view extraLinks) {
  const std::string path = run.folder.OutputDir() + "index.htm";
  OutputFile file;
  const bool created = file.Create(path);
  if (created) PageFile(file) << kIndexHead << GameText{run.game.title} << kIndexLinks << extraLinks << kIndexFrames;
  if (!created || !file.Close()) return Step::Fail(std::string(kCannotWriteIndex), DescribeFileError(path));
  return Step::Next();
}

Step WriteStyleSheet(const SiteFolder& folder) {
  OutputFile file;
  if (file.Create(folder.DataFolder(), "style.css")) {
    PageFile sheet(file);
    for (std::string_view line : kStyleLines) sheet << line << "\r\n";
    if (file.Close()) return Step::Next();
  }
  return Step::Fail(std::string(kCannotWriteStyleSheet), DescribeFileError(folder.DataFile("style.css")));
}

}  // namespace gvde
