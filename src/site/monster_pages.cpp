#include "site/monster_pages.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "game/record_texts.h"
#include "image/sprites.h"
#include "platform/num_to_str.h"
#include "site/category_lists.h"
#include "site/record_pages.h"

namespace gvde {

namespace {

constexpr std::uint32_t kMonsterClassCount = 3;

void WriteDungeonLevels(PageFile& page, const MonsterRecord& m) {
  for (std::uint32_t level = m.FirstDungeonLevel(); level <= m.LastDungeonLevel(); ++level) {
    if (level != m.FirstDungeonLevel()) page << ", ";
    page << "<a href=\"md" << level << ".htm\" target=\"nav\">&nbsp;" << level << "&nbsp;</a>";
  }
}

void WriteAttacks(PageFile& page, const MonsterRecord& m) {
  page << "<ul><li>Base Damage: " << m.minDamage << "-" << m.maxDamage << "<li>" << m.toHit
       << "% to hit<li>Frame " << m.attackFrame << "</ul><ul>Second attack";
  if (m.secondAttackEnabled == 0) page << " (disabled)";
  page << "<li>Base Damage: " << m.minDamage2 << "-" << m.maxDamage2 << "<li>" << m.toHit2
       << "% to hit<li>Frame " << m.attackFrame2 << "</ul>";
}

void WriteResistances(PageFile& page, const MonsterRecord& m) {
  if (WriteResistanceList(page, m.resistances)) page << "</p><p>";
  if (!SameResistances(m.doomResistances, m.resistances) && WriteResistanceList(page, m.doomResistances)) {
    page << " in Doom difficulty</p><p>";
  }
}

// True when at least one boss was listed.
bool WriteBosses(const GameData& game, PageFile& page, const std::vector<std::uint32_t>& bossNumbers) {
  if (bossNumbers.empty()) return false;
  page << "Bosses:";
  for (const std::uint32_t b : bossNumbers) {
    page << "<br><a href=\"b" << b << ".htm\" target=\"out\">" << GameText{game.bosses[b].name} << "</a>";
  }
  return true;
}

void WriteTechnicalInfo(const PageContext& context, PageFile& page, const MonsterRecord& m) {
  const std::uint32_t t = m.AiType();
  page << "AI type: " << t << " (" << GameText{AiTypeName(context.config.aiTypeNames, t)} << "), subtype "
       << m.aiSubtype << ", IQ=" << m.Iq();
  for (std::uint32_t i = 0; i < 6; ++i) {
    page << "<br>" << AnimationName(i) << " slowdown is " << m.frameDelays[i] << ", with " << m.frameCounts[i]
         << " frames used";
  }
  page << "<br>Animation size: " << m.animationSize << "<br>Seeding size: " << m.seedingSize;
  const animfiledescr* group = context.game.GroupOf(m);
  page << "<br>Animation: " << GameText{group ? group->animationFile : std::string()} << " (<a href=\"mg"
       << m.animationGroup << ".htm\" target=\"nav\">" << GameText{group ? group->firstMonsterName : std::string()}
       << "</a>)";
  page << "<br>Sound set: " << GameText{m.soundSet} << "<br>Special sounds are "
       << (m.specialSounds != 0 ? "enabled" : "disabled");
  if (m.hasColorTranslation != 0) page << "<br>Color translation: " << GameText{m.colorTranslationFile};
  page << "<br>Drop type: " << m.dropType << "<br>Selection outline: " << m.selectionOutline;
}

// What the picture of monster n reads: its group's sprite file and its own colour table.
PictureJob PrepareMonsterPicture(Run& run, std::uint32_t n) {
  const MonsterRecord& m = run.game.monsters[n];
  const animfiledescr* group = run.game.GroupOf(m);
  if (group == nullptr) return MonsterPictureJob(run.png, {std::nullopt, "the monster has no sprite file"});
  return MonsterPictureJob(run.png, run.monsterFrames.Read(group->animationFile, m.EffectiveColorTranslation(),
                                                           std::nullopt, static_cast<std::uint32_t>(m.animationSize)));
}

std::string LevelText(std::string_view text, std::uint32_t level) { return std::string(text) + NumToStr(level); }

void WriteClassLists(const GameData& game, PageFile& categoryPage, ListPages& pages) {
  ValueLists classes;
  for (std::uint32_t n = 0; n < game.monsters.size(); ++n) {
    const MonsterRecord& m = game.monsters[n];
    if (m.monsterClass < kMonsterClassCount) classes[m.monsterClass].push_back({m.name, n});
  }
  const auto className = [](std::uint32_t c) { return std::string(MonsterClassName(c)); };
  WriteValueSection(categoryPage, {"mb", "m", className, className}, classes, pages);
}

// Links sorted by group name, each after a "<br>"; a page for every group, even one without
// members.
void WriteGroupLists(const GameData& game, PageFile& categoryPage, ListPages& pages) {
  categoryPage << "<hr>Graphics:";
  std::vector<NamedRecord> groups;
  groups.reserve(game.animationGroups.size());
  for (std::uint32_t g = 0; g < game.animationGroups.size(); ++g) {
    groups.push_back({game.animationGroups[g].firstMonsterName, g});
  }
  SortByName(groups);
  for (const NamedRecord& group : groups) {
    categoryPage << "<br><a href=\"mg" << group.number << ".htm\" target=\"nav\">" << GameText{group.name} << "</a>";
  }

  std::vector<std::vector<NamedRecord>> members(game.animationGroups.size());
  for (std::uint32_t n = 0; n < game.monsters.size(); ++n) {
    const MonsterRecord& m = game.monsters[n];
    if (m.animationGroup < members.size()) members[m.animationGroup].push_back({m.name, n});
  }
  for (std::uint32_t g = 0; g < members.size(); ++g) {
    std::string title = "Looking like<br>" + EscapeHtml(game.animationGroups[g].firstMonsterName);
    pages.push_back(SortedListPage("mg" + NumToStr(g) + ".htm", std::move(title), std::move(members[g]), "m"));
  }
}

void WriteDungeonLevelLists(const GameData& game, PageFile& categoryPage, ListPages& pages) {
  categoryPage << "<hr>";
  // A monster covers at most 128 levels, so filling every covered level stays linear.
  ValueLists lists;
  for (std::uint32_t n = 0; n < game.monsters.size(); ++n) {
    const MonsterRecord& m = game.monsters[n];
    for (std::uint32_t level = m.FirstDungeonLevel(); level <= m.LastDungeonLevel(); ++level) {
      if (level <= game.maxDungeonLevel) lists[level].push_back({m.name, n});
    }
  }
  const ValueSection section{"md", "m", [](std::uint32_t level) { return LevelText("DLvl ", level); },
                             [](std::uint32_t level) { return LevelText("Monsters of Dungeon Level ", level); }};
  WriteValueSection(categoryPage, section, lists, pages);
}

void WriteMonsterLevelLists(const GameData& game, PageFile& categoryPage, ListPages& pages) {
  categoryPage << "<hr>";
  ValueLists lists;
  for (std::uint32_t n = 0; n < game.monsters.size(); ++n) {
    const MonsterRecord& m = game.monsters[n];
    if (m.monsterLevel <= game.maxMonsterLevel) lists[m.monsterLevel].push_back({m.name, n});
  }
  const ValueSection section{"ml", "m", [](std::uint32_t level) { return LevelText("MLvl ", level); },
                             [](std::uint32_t level) { return LevelText("Monster Level ", level); }};
  WriteValueSection(categoryPage, section, lists, pages);
}

void WriteMonsterLists(const GameData& game, PageFile& categoryPage, ListPages& pages) {
  for (const auto write : {WriteClassLists, WriteGroupLists, WriteDungeonLevelLists, WriteMonsterLevelLists}) {
    write(game, categoryPage, pages);
  }
}

void WriteMonsterPage(PageFile& page, const PageContext& context, std::uint32_t n) {
  const MonsterRecord& m = context.game.monsters[n];
  page << kPageHead << "<h3>" << n << ": " << GameText{m.name} << " (<a href=\"mb" << m.monsterClass
       << ".htm\" target=\"nav\">" << MonsterClassName(m.monsterClass) << "</a>, <a href=\"ml"
       << m.monsterLevel << ".htm\" target=\"nav\">level " << m.monsterLevel << "</a>)</h3><a href=\"mg"
       << m.animationGroup << ".htm\" target=\"nav\"><img src=\"m" << n
       << ".png\"></a><p>May appear on dungeon level: ";
  WriteDungeonLevels(page, m);
  page << "</p><p>Base HP: " << m.minHitPoints << "-" << m.maxHitPoints << "</p><p>" << m.experience
       << " XP</p>";
  WriteAttacks(page, m);
  page << "<p>Armor: " << m.armor << "</p><p>";
  WriteResistances(page, m);
  const bool listedBosses = WriteBosses(context.game, page, context.game.bossesByMonster[n]);
  if (context.technicalInfo) {
    if (listedBosses) page << "</p><p>";
    WriteTechnicalInfo(context, page, m);
  }
  page << "</p></body></html>";
}

}  // namespace

bool WriteResistanceList(PageFile& page, std::uint16_t flags) {
  const std::vector<Resistance> resistances = ResistancesOf(flags);
  for (std::size_t i = 0; i < resistances.size(); ++i) {
    if (i != 0) page << "; ";
    // Immunities in bold, resistances in italics.
    const std::string_view tag = resistances[i].immune ? "b>" : "i>";
    page << "<" << tag << resistances[i].name << "</" << tag;
  }
  return !resistances.empty();
}

Category MonsterCategory(Run& run) {
  return {"m", "Monsters", NamesOf(run.game.monsters),
          [context = run.Pages()](PageFile& page, std::uint32_t n) { WriteMonsterPage(page, context, n); },
          [&run](PageFile& categoryPage, ListPages& pages) { WriteMonsterLists(run.game, categoryPage, pages); },
          "monster", [&run](std::uint32_t n) { return PrepareMonsterPicture(run, n); }};
}

}  // namespace gvde
