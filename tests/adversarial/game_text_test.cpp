// Game text that looks like markup: names, the title, spell names, the "<NO STRING>" that
// stands for a missing one, and the names of Effect.ini and AITypes.ini are shown as text,
// never as tags. Sorting, first-byte lists and file names still use the raw bytes.
#include <gtest/gtest.h>

#include <string>

#include "testkit/mini_game.h"

namespace gvde::adversarial {
namespace {

using testkit::EndedDone;
using testkit::MiniGame;
using testkit::MiniTables;

bool Contains(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

TEST(GameTextInPages, IsEscapedWhereverItIsShown) {
  MiniGame game;
  MiniTables tables = game.Ordinary();
  tables.items[0].name = "<Nameless>";
  tables.items[0].magicName = "\"Quoted\" & co";
  tables.items[0].spell = 1;
  tables.items[1].name = "(Broken)";
  tables.items[1].spell = 3;  // its name does not translate
  tables.uniques[0].name = "Crown & <Sceptre>";
  tables.uniques[0].effects = {{0, 1, 2}, {66, 1, 2}, {5, 3, 3}};
  tables.monsters[0] = game.Monster("A<B");
  tables.bosses[0] = game.Boss("\"Vulmar\"", 0);
  tables.prefixes[0] = game.Affix("&amp;", 1);
  tables.suffixes[0].effectCode = 5;
  tables.suffixes[0].effectParam2 = 1;
  game.AddTables(tables);
  const std::string spell = "\"Bolt\" & <Fire>";
  game.configuration.addresses.spellTable = demogame::AddSpellTable(game.pe, {spell, spell, std::nullopt});
  game.configuration.addresses.title = game.pe.AddString("<script>alert(1)</script>");
  game.configuration.effectNames[0] = "<b>Damage</b>";
  game.configuration.effectNames[5] = "<b onmouseover=\"alert(1)\">Sharp</b> & more";
  game.configuration.aiTypeNames[0] = "<script>Zombie</script>";

  ASSERT_TRUE(EndedDone(game.Run()));
  EXPECT_TRUE(Contains(testkit::ReadFileText(game.OutputDir() + "/index.htm"),
                       "<p>Correct for<br>&lt;script&gt;alert(1)&lt;/script&gt;</p>"));

  const std::string item = game.Page("i0.htm");
  EXPECT_TRUE(Contains(item, "<h3>0: &lt;Nameless&gt;, <a href=\"il1.htm\""));
  EXPECT_TRUE(Contains(item, "<p>Name for magical items: &quot;Quoted&quot; &amp; co</p>"));
  EXPECT_TRUE(Contains(item, "<p>Spell: &quot;Bolt&quot; &amp; &lt;Fire&gt;</p>"));
  EXPECT_TRUE(Contains(item, "<a href=\"u0.htm\" target=\"out\">Crown &amp; &lt;Sceptre&gt;</a>"));
  EXPECT_TRUE(Contains(game.Page("i1.htm"), "<p>Spell: &lt;NO STRING&gt;</p>"));

  // The first byte '<' (60) names its list file; the link text and the list's title show it.
  EXPECT_TRUE(Contains(game.Page("i.htm"), "<a href=\"ic60.htm\" target=\"nav\">&nbsp;&lt;&nbsp;</a>"));
  EXPECT_TRUE(Contains(game.Page("ic60.htm"), "Items (&lt;)<br><a href=\"i0.htm\" target=\"out\">&lt;Nameless&gt;</a>"));
  EXPECT_TRUE(Contains(game.Page("in.htm"), "0: &lt;Nameless&gt;</a>"));
  // Raw bytes sort '(' (40) before '<' (60); the escaped "&lt;" would have come first.
  EXPECT_TRUE(Contains(game.Page("ia.htm"), "(Broken)</a><br><a href=\"i0.htm\" target=\"out\">&lt;Nameless&gt;</a>"));

  const std::string unique = game.Page("u0.htm");
  EXPECT_TRUE(Contains(unique, "<h3>0: Crown &amp; &lt;Sceptre&gt;, "));
  EXPECT_TRUE(Contains(unique, "<p>+1...2% to &lt;b&gt;Damage&lt;/b&gt;</p>"));
  const std::string sharp = "&lt;b onmouseover=&quot;alert(1)&quot;&gt;Sharp&lt;/b&gt; &amp; more";
  EXPECT_TRUE(Contains(unique, "<p>" + sharp + ": 3</p>"));
  EXPECT_TRUE(Contains(unique, "<p>2 charges of &quot;Bolt&quot; &amp; &lt;Fire&gt;</p>"));
  EXPECT_TRUE(Contains(unique, "Kind of <a href=\"i0.htm\" target=\"out\">&lt;Nameless&gt;</a>"));

  EXPECT_TRUE(Contains(game.Page("m0.htm"), "<h3>0: A&lt;B ("));
  const std::string zombie = "&lt;script&gt;Zombie&lt;/script&gt;";
  EXPECT_TRUE(Contains(game.Page("m0.htm"), "AI type: 0 (" + zombie + ")"));
  EXPECT_TRUE(Contains(game.Page("b0.htm"), "AI type: 0 (" + zombie + ")"));
  EXPECT_TRUE(Contains(game.Page("m0.htm"), "<a href=\"b0.htm\" target=\"out\">&quot;Vulmar&quot;</a>"));
  EXPECT_TRUE(Contains(game.Page("mg0.htm"), "Looking like<br>A&lt;B"));
  EXPECT_TRUE(Contains(game.Page("b0.htm"), "<h3>0: &quot;Vulmar&quot;</h3>"));
  EXPECT_TRUE(Contains(game.Page("b0.htm"), "target=\"out\">A&lt;B</a>"));
  EXPECT_TRUE(Contains(game.Page("p0.htm"), "<h3>0: &amp;amp;, "));
  EXPECT_TRUE(Contains(game.Page("p0.htm"), "<p>+1...2% to &lt;b&gt;Damage&lt;/b&gt;</p>"));
  EXPECT_TRUE(Contains(game.Page("p.htm"), "<a href=\"pe0.htm\" target=\"nav\">&lt;b&gt;Damage&lt;/b&gt;</a>"));
  EXPECT_TRUE(Contains(game.Page("pe0.htm"), "&lt;b&gt;Damage&lt;/b&gt; Prefixes<br>"));
  EXPECT_TRUE(Contains(game.Page("s0.htm"), "<p>" + sharp + ": 1</p>"));
  EXPECT_TRUE(Contains(game.Page("s.htm"), "<a href=\"se5.htm\" target=\"nav\">" + sharp + "</a>"));
  EXPECT_TRUE(Contains(game.Page("se5.htm"), sharp + " Suffixes<br>"));
}

}  // namespace
}  // namespace gvde::adversarial
