// gvde-cli on the generated demo game: the whole site, the run's messages and exit codes.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "demogame/demo_game.h"
#include "testkit/png_decode.h"
#include "testkit/temp_dir.h"

namespace gvde::testkit {
namespace {

namespace fs = std::filesystem;
using demogame::DemoOptions;
using demogame::DemoSummary;
using demogame::WriteDemoGame;

const std::string kIndexHead =
    "<html><head><title>Grimveil info</title><link rel=\"stylesheet\" type=\"text/css\" href=\"data/style.css\" "
    "media=\"all\"></head><body><table width=\"100%\" height=\"100%\"><tr height=\"100%\"><td width=\"12%\" "
    "align=\"center\"><p>Correct for<br>";
const std::string kIndexTail =
    "</p><a href=\"data/i.htm\" target=\"ab\">Items</a><br><a href=\"data/u.htm\" target=\"ab\">Uniques</a><br><a "
    "href=\"data/m.htm\" target=\"ab\">Monsters</a><br><a href=\"data/b.htm\" target=\"ab\">Bosses</a><br><a "
    "href=\"data/p.htm\" target=\"ab\">Prefixes</a><br><a href=\"data/s.htm\" target=\"ab\">Suffixes</a></td><td "
    "width=\"15%\"><iframe name=\"ab\" width=\"100%\" height=\"100%\"></iframe></td><td width=\"15%\"><iframe "
    "name=\"nav\" width=\"100%\" height=\"100%\"></iframe></td><td width=\"58%\"><iframe name=\"out\" "
    "width=\"100%\" height=\"100%\"></iframe></td></table></body></html>";
const std::string kStyle =
    "body {background-color: #330; color: #FC0;}\r\np {color: #FC0;}\r\nul {color: #FC0;}\r\n"
    "a:visited {color: #F90;}\r\na:active {color: #F90;}\r\na:hover {color: #F90;}\r\na {color: #F90;}\r\n"
    "h3 {color: #FC0;}\r\n";

class DemoSite : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(WriteDemoGame(dir_.path(), DemoOptions{}, &summary_));
  }

  CommandResult Cli(const std::vector<std::string>& args) { return RunProgram(dir_.path(), GVDE_CLI_PATH, args); }
  std::string Data(const std::string& name) const { return dir_.File("site/data/" + name); }

  TempDir dir_;
  DemoSummary summary_;
};

std::string Question(const char* kind, std::uint32_t number) {
  return std::string("Cannot write an image for ") + kind + " #" + std::to_string(number) + ". Exit?";
}

// The cause under each failing picture's question: the demo leaves one sprite file out.
std::string MissingSprite() {
  return "the sprite file monsters\\wailer\\wailera.anm is in neither archive or cannot be read";
}

TEST_F(DemoSite, KeepGoingWritesTheWholeSite) {
  CommandResult r = Cli({"--keep-going", "game", "site"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "Done\n");
  EXPECT_NE(r.err.find("Error: " + Question("monster", summary_.failingMonster) + " no\n  " + MissingSprite() + "\n"),
            std::string::npos)
      << r.err;
  // After "Done", what was written: the site's files and their size, the folder, the pictures
  // that could not be made, the time.
  const std::regex summary("\nWrote ([0-9]+) files \\(([0-9.]+) MB\\) to site/ in [0-9]+\\.[0-9]{2} s; 6 pictures could not be made\n$");
  std::smatch written;
  ASSERT_TRUE(std::regex_search(r.err, written, summary)) << r.err;
  const std::vector<std::string> files = ListFiles(dir_.File("site"));
  EXPECT_EQ(written[1].str(), std::to_string(files.size()));
  std::uintmax_t bytes = 0;
  for (const std::string& file : files) bytes += fs::file_size(dir_.File("site/" + file));
  char size[32];
  std::snprintf(size, sizeof size, "%.1f", static_cast<double>(bytes) / 1e6);
  EXPECT_EQ(written[2].str(), size);

  EXPECT_EQ(ReadFileText(dir_.File("site/index.htm")), kIndexHead + summary_.title + kIndexTail);
  EXPECT_EQ(ReadFileText(Data("style.css")), kStyle);

  struct Category {
    const char* prefix;
    std::uint32_t count;
  };
  for (const Category& c : {Category{"i", summary_.items}, Category{"u", summary_.uniques},
                            Category{"m", summary_.monsters}, Category{"b", summary_.bosses},
                            Category{"p", summary_.prefixes}, Category{"s", summary_.suffixes}}) {
    SCOPED_TRACE(c.prefix);
    for (const char* list : {"", "a", "n"}) EXPECT_TRUE(FileExists(Data(std::string(c.prefix) + list + ".htm")));
    EXPECT_TRUE(FileExists(Data(c.prefix + std::to_string(c.count - 1) + ".htm")));
    EXPECT_FALSE(FileExists(Data(c.prefix + std::to_string(c.count) + ".htm")));
  }
  for (std::uint32_t p = 0; p < summary_.itemPictures; ++p) {
    ASSERT_TRUE(DecodePngFile(Data("i" + std::to_string(p) + ".png")).has_value()) << p;
  }
  EXPECT_FALSE(FileExists(Data("i" + std::to_string(summary_.itemPictures) + ".png")));
  EXPECT_FALSE(FileExists(Data("m" + std::to_string(summary_.failingMonster) + ".png")));
  EXPECT_TRUE(FileExists(Data("m0.png")));
}

// Every link and picture of every page names a file of the site, except the pictures whose
// question was answered No.
TEST_F(DemoSite, EveryLinkResolves) {
  CommandResult r = Cli({"--keep-going", "--technical", "game", "site"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::set<std::string> failedPictures;
  std::regex question("image for (monster|boss) #([0-9]+)");
  for (std::sregex_iterator it(r.err.begin(), r.err.end(), question), end; it != end; ++it)
    failedPictures.insert(((*it)[1] == "monster" ? "m" : "b") + (*it)[2].str() + ".png");
  ASSERT_FALSE(failedPictures.empty());

  std::regex reference("(?:href|src)=\"([^\"]+)\"");
  std::size_t checked = 0;
  for (const std::string& file : ListFiles(dir_.File("site/data"))) {
    if (!file.ends_with(".htm")) continue;
    const std::string page = ReadFileText(Data(file));
    for (std::sregex_iterator it(page.begin(), page.end(), reference), end; it != end; ++it) {
      const std::string target = (*it)[1];
      if (failedPictures.count(target) != 0) continue;
      EXPECT_TRUE(FileExists(Data(target))) << file << " -> " << target;
      ++checked;
    }
  }
  EXPECT_GT(checked, 5000u);
}

TEST_F(DemoSite, StopOnImageErrorEndsAtTheFirstFailedPicture) {
  CommandResult r = Cli({"--stop-on-image-error", "game", "site"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "Error: " + Question("monster", summary_.failingMonster) + " yes\n  " + MissingSprite() + "\n");
  EXPECT_TRUE(FileExists(Data("m" + std::to_string(summary_.failingMonster) + ".htm")));
  EXPECT_FALSE(FileExists(Data("m" + std::to_string(summary_.failingMonster + 1) + ".htm")));
  EXPECT_FALSE(FileExists(Data("m.htm")));
  EXPECT_FALSE(FileExists(Data("b0.htm")));
  EXPECT_FALSE(FileExists(dir_.File("site/index.htm")));
  EXPECT_TRUE(FileExists(Data("u.htm")));
}

// The same site, messages and data document (which names the pictures written) whether pictures
// are encoded on one thread or on several.
TEST_F(DemoSite, OutputIsTheSameForEveryJobCount) {
  const CommandResult one = Cli({"--keep-going", "--technical", "--jobs", "1", "--json", "one.json", "game", "one"});
  const CommandResult four = Cli({"--keep-going", "--technical", "--jobs=4", "--json", "two.json", "game", "two"});
  ASSERT_EQ(one.exitCode, 0);
  ASSERT_EQ(four.exitCode, 0);
  EXPECT_EQ(WithoutSummary(one.err), WithoutSummary(four.err));
  EXPECT_NE(WithoutSummary(one.err), one.err);
  EXPECT_EQ(ReadFileText(dir_.File("one.json")), ReadFileText(dir_.File("two.json")));
  EXPECT_NE(ReadFileText(dir_.File("one.json")).find("\"data/m0.png\""), std::string::npos);
  std::vector<std::string> files = ListFiles(dir_.File("one"));
  ASSERT_EQ(files, ListFiles(dir_.File("two")));
  for (const std::string& file : files)
    ASSERT_EQ(ReadFileText(dir_.File("one/" + file)), ReadFileText(dir_.File("two/" + file))) << file;
}

TEST_F(DemoSite, TechnicalInformationChangesRecordPagesOnly) {
  ASSERT_EQ(Cli({"--keep-going", "game", "plain"}).exitCode, 0);
  ASSERT_EQ(Cli({"--keep-going", "--technical", "game", "tech"}).exitCode, 0);
  EXPECT_EQ(ListFiles(dir_.File("plain")), ListFiles(dir_.File("tech")));
  EXPECT_EQ(ReadFileText(dir_.File("plain/data/i.htm")), ReadFileText(dir_.File("tech/data/i.htm")));
  EXPECT_EQ(ReadFileText(dir_.File("plain/data/mn.htm")), ReadFileText(dir_.File("tech/data/mn.htm")));
  EXPECT_EQ(ReadFileText(dir_.File("plain/data/p0.htm")), ReadFileText(dir_.File("tech/data/p0.htm")));
  EXPECT_NE(ReadFileText(dir_.File("plain/data/m0.htm")), ReadFileText(dir_.File("tech/data/m0.htm")));
  EXPECT_NE(ReadFileText(dir_.File("plain/data/i0.htm")), ReadFileText(dir_.File("tech/data/i0.htm")));
}

// The game shaped as a real one is a valid game too: its run ends as the demo game's does and
// gives the same site on one thread and on several, with pages 2.5 times the pictures holding
// most of the bytes, and pictures of about 7,800 pixels (from scale 10 on: at scale 1 the lists
// weigh more).
TEST(DemoShapes, ThePagesShapeOutweighsItsPicturesWithPages) {
  TempDir dir;
  DemoSummary summary;
  ASSERT_TRUE(WriteDemoGame(dir.path(), DemoOptions{.scale = 10, .shape = demogame::DemoShape::Pages}, &summary));
  const CommandResult one = RunProgram(dir.path(), GVDE_CLI_PATH, {"--keep-going", "--jobs=1", "game", "one"});
  const CommandResult three = RunProgram(dir.path(), GVDE_CLI_PATH, {"--keep-going", "--jobs=3", "game", "three"});
  ASSERT_EQ(one.exitCode, 0) << one.err;
  EXPECT_EQ(WithoutSummary(one.err), WithoutSummary(three.err));
  EXPECT_NE(one.err.find(Question("monster", summary.failingMonster)), std::string::npos);
  const std::vector<std::string> files = ListFiles(dir.File("one"));
  ASSERT_EQ(files, ListFiles(dir.File("three")));
  double pages = 0, pictures = 0, pageBytes = 0, pictureBytes = 0, pixels = 0;
  for (const std::string& file : files) {
    const std::string bytes = ReadFileText(dir.File("one/" + file));
    ASSERT_EQ(bytes, ReadFileText(dir.File("three/" + file))) << file;
    if (!file.ends_with(".png")) {
      ++pages;
      pageBytes += static_cast<double>(bytes.size());
      continue;
    }
    const std::optional<DecodedPng> picture = DecodePngFile(dir.File("one/" + file));
    ASSERT_TRUE(picture.has_value()) << file;
    ++pictures;
    pictureBytes += static_cast<double>(bytes.size());
    pixels += static_cast<double>(picture->width) * picture->height;
  }
  EXPECT_NEAR(pages / pictures, 2.5, 0.1);
  EXPECT_GT(pageBytes, pictureBytes);
  EXPECT_NEAR(pixels / pictures, 7800, 400);
}

}  // namespace
}  // namespace gvde::testkit
