#include "site/monster_pages.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "image/sprites.h"
#include "site/category_lists.h"
#include "site/num_to_str.h"

namespace gvde {

namespace {

struct ResistanceText {
  std::uint16_t flag;
  std::string_view text;
};

constexpr std::array<ResistanceText, 6> kResistanceTexts = {{
    {0x01, "<i>Magic resistant</i>"},
    {0x08, "<b>Magic immune</b>"},
    {0x02, "<i>Fire resistant</i>"},
    {0x10, "<b>Fire immune</b>"},
    {0x04, "<i>Lightning resistant</i>"},
    {0x20, "<b>Lightning immune</b>"},
}};

constexpr std::uint16_t kResistanceBits = 0x3F;
constexpr std::uint32_t kMonsterClassCount = 3;

// Boss numbers per monster number, in boss table order; built once per pass.
std::vector<std::vector<std::uint32_t>> BossesByMonster(const RunState& run) {
  std::vector<std::vector<std::uint32_t>> index(run.monsters.size());
  for (std::uint32_t b = 0; b < run.bosses.size(); ++b) {
    const std::int32_t base = run.bosses[b].baseMonster;
    if (base >= 0 && static_cast<std::uint32_t>(base) < index.size()) {
      index[static_cast<std::uint32_t>(base)].push_back(b);
    }
  }
  return index;
}

const animfiledescr* GroupOf(const RunState& run, const MonsterRecord& m) {
  return m.animationGroup < run.AnimationGroups.size() ? &run.AnimationGroups[m.animationGroup] : nullptr;
}

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
  if ((m.doomResistances & kResistanceBits) != (m.resistances & kResistanceBits) &&
      WriteResistanceList(page, m.doomResistances)) {
    page << " in Doom difficulty</p><p>";
  }
}

// True when at least one boss was listed.
bool WriteBosses(const RunState& run, PageFile& page, const std::vector<std::uint32_t>& bossNumbers) {
  if (bossNumbers.empty()) return false;
  page << "Bosses:";
  for (const std::uint32_t b : bossNumbers) {
    page << "<br><a href=\"b" << b << ".htm\" target=\"out\">" << run.bosses[b].name << "</a>";
  }
  return true;
}

void WriteTechnicalInfo(const RunState& run, PageFile& page, const MonsterRecord& m) {
  const std::uint32_t t = m.AiType();
  page << "AI type: " << t << " (";
  page << (t < run.config.AiTypeNames.size() ? std::string_view(run.config.AiTypeNames[t]) : "ERROR!");
  page << "), subtype " << m.aiSubtype << ", IQ=" << m.Iq();
  for (std::uint32_t i = 0; i < 6; ++i) {
    page << "<br>" << AnimationName(i) << " slowdown is " << m.frameDelays[i] << ", with " << m.frameCounts[i]
         << " frames used";
  }
  page << "<br>Animation size: " << m.animationSize << "<br>Seeding size: " << m.seedingSize;
  const animfiledescr* group = GroupOf(run, m);
  page << "<br>Animation: " << (group ? group->animationFile : std::string()) << " (<a href=\"mg"
       << m.animationGroup << ".htm\" target=\"nav\">" << (group ? group->firstMonsterName : std::string())
       << "</a>)";
  page << "<br>Sound set: " << m.soundSet << "<br>Special sounds are "
       << (m.specialSounds != 0 ? "enabled" : "disabled");
  if (m.hasColorTranslation != 0) page << "<br>Color translation: " << m.colorTranslationFile;
  page << "<br>Drop type: " << m.dropType << "<br>Selection outline: " << m.selectionOutline;
}

void WriteMonsterPage(const RunState& run, PageFile& page, std::uint32_t n, const MonsterRecord& m,
                      const std::vector<std::uint32_t>& bossNumbers) {
  page << kPageHead << "<h3>" << n << ": " << m.name << " (<a href=\"mb" << m.monsterClass
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
  const bool listedBosses = WriteBosses(run, page, bossNumbers);
  if (run.TechnicalInfo) {
    if (listedBosses) page << "</p><p>";
    WriteTechnicalInfo(run, page, m);
  }
  page << "</p></body></html>";
}

// False when the run must end (the user answered Yes).
bool WriteMonsterPicture(RunState& run, std::uint32_t n, const MonsterRecord& m) {
  const animfiledescr* group = GroupOf(run, m);
  const bool written = group != nullptr && WriteMonsterImage(run.archives, run.png, group->animationFile,
                                                             m.EffectiveColorTranslation(), std::nullopt,
                                                             static_cast<std::uint32_t>(m.animationSize),
                                                             run.DataFile("m" + NumToStr(n) + ".png"));
  if (written) return true;
  if (!run.host.AskExit("Cannot write an image for monster #" + NumToStr(n) + ". Exit?")) return true;
  ReleaseAfterExit(run);
  return false;
}

using LevelLists = std::map<std::uint32_t, std::vector<NamedRecord>>;

// One link into the category page and its list page; `first` tracks the section's "<br>" rule.
bool WriteLevelSection(RunState& run, PageFile& categoryPage, LevelLists& lists, std::string_view filePrefix,
                       std::string_view linkText, std::string_view title) {
  bool first = true;
  for (auto& [level, entries] : lists) {
    if (!first) categoryPage << "<br>";
    first = false;
    const std::string fileName = std::string(filePrefix) + NumToStr(level) + ".htm";
    categoryPage << "<a href=\"" << fileName << "\" target=\"nav\">" << linkText << level << "</a>";
    const std::string pageTitle = std::string(title) + NumToStr(level);
    if (!WriteSortedListPage(run, fileName, pageTitle, entries, "m")) return false;
  }
  return true;
}

bool WriteClassLists(RunState& run, PageFile& categoryPage) {
  std::array<std::vector<NamedRecord>, kMonsterClassCount> classes;
  for (std::uint32_t n = 0; n < run.monsters.size(); ++n) {
    const MonsterRecord& m = run.monsters[n];
    if (m.monsterClass < kMonsterClassCount) classes[m.monsterClass].push_back({m.name, n});
  }
  bool first = true;
  for (std::uint32_t c = 0; c < kMonsterClassCount; ++c) {
    if (classes[c].empty()) continue;
    if (!first) categoryPage << "<br>";
    first = false;
    categoryPage << "<a href=\"mb" << c << ".htm\" target=\"nav\">" << MonsterClassName(c) << "</a>";
    if (!WriteSortedListPage(run, "mb" + NumToStr(c) + ".htm", MonsterClassName(c), classes[c], "m")) {
      return false;
    }
  }
  return true;
}

bool WriteGroupLists(RunState& run, PageFile& categoryPage) {
  categoryPage << "<hr>Graphics:";
  std::vector<NamedRecord> groups;
  groups.reserve(run.AnimationGroups.size());
  for (std::uint32_t g = 0; g < run.AnimationGroups.size(); ++g) {
    groups.push_back({run.AnimationGroups[g].firstMonsterName, g});
  }
  SortByName(groups);
  for (const NamedRecord& group : groups) {
    categoryPage << "<br><a href=\"mg" << group.number << ".htm\" target=\"nav\">" << group.name << "</a>";
  }

  std::vector<std::vector<NamedRecord>> members(run.AnimationGroups.size());
  for (std::uint32_t n = 0; n < run.monsters.size(); ++n) {
    const MonsterRecord& m = run.monsters[n];
    if (m.animationGroup < members.size()) members[m.animationGroup].push_back({m.name, n});
  }
  for (std::uint32_t g = 0; g < members.size(); ++g) {
    // The group pages are written even for a group without members, as the loop over groups does.
    const std::string title = "Looking like<br>" + run.AnimationGroups[g].firstMonsterName;
    if (!WriteSortedListPage(run, "mg" + NumToStr(g) + ".htm", title, members[g], "m")) return false;
  }
  return true;
}

bool WriteDungeonLevelLists(RunState& run, PageFile& categoryPage) {
  categoryPage << "<hr>";
  // A monster covers at most 128 levels, so filling every covered level stays linear.
  LevelLists lists;
  for (std::uint32_t n = 0; n < run.monsters.size(); ++n) {
    const MonsterRecord& m = run.monsters[n];
    for (std::uint32_t level = m.FirstDungeonLevel(); level <= m.LastDungeonLevel(); ++level) {
      if (level <= run.MaxDungeonLevel) lists[level].push_back({m.name, n});
    }
  }
  return WriteLevelSection(run, categoryPage, lists, "md", "DLvl ", "Monsters of Dungeon Level ");
}

bool WriteMonsterLevelLists(RunState& run, PageFile& categoryPage) {
  categoryPage << "<hr>";
  LevelLists lists;
  for (std::uint32_t n = 0; n < run.monsters.size(); ++n) {
    const MonsterRecord& m = run.monsters[n];
    if (m.monsterLevel <= run.MaxMonsterLevel) lists[m.monsterLevel].push_back({m.name, n});
  }
  return WriteLevelSection(run, categoryPage, lists, "ml", "MLvl ", "Monster Level ");
}

}  // namespace

bool WriteResistanceList(PageFile& page, std::uint16_t flags) {
  bool wroteAny = false;
  for (const ResistanceText& entry : kResistanceTexts) {
    if ((flags & entry.flag) == 0) continue;
    if (wroteAny) page << "; ";
    page << entry.text;
    wroteAny = true;
  }
  return wroteAny;
}

bool WriteMonsterPages(RunState& run) {
  const std::vector<std::vector<std::uint32_t>> bossesOf = BossesByMonster(run);
  for (std::uint32_t n = 0; n < run.monsters.size(); ++n) {
    const MonsterRecord& m = run.monsters[n];
    PageFile page;
    if (!page.Create(run.DataFile("m" + NumToStr(n) + ".htm"))) return RunError(run, "Cannot write to file");
    run.CountName(m.name);
    WriteMonsterPage(run, page, n, m, bossesOf[n]);
    if (!page.Close()) return RunError(run, "Cannot write to file");
    if (!WriteMonsterPicture(run, n, m)) return false;
  }
  return true;
}

bool WriteMonsterLists(RunState& run, PageFile& categoryPage) {
  return WriteClassLists(run, categoryPage) && WriteGroupLists(run, categoryPage) &&
         WriteDungeonLevelLists(run, categoryPage) && WriteMonsterLevelLists(run, categoryPage);
}

}  // namespace gvde
