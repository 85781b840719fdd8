#include "site/boss_pages.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "image/sprites.h"
#include "site/category_lists.h"
#include "site/monster_pages.h"
#include "site/num_to_str.h"

namespace gvde {

namespace {

constexpr std::uint16_t kResistanceBits = 0x3F;

// The record of monster `number`, or nullptr when the number names no monster.
const MonsterRecord* FindMonster(const RunState& run, std::int32_t number) {
  if (number < 0 || static_cast<std::uint32_t>(number) >= run.monsters.size()) return nullptr;
  return &run.monsters[static_cast<std::uint32_t>(number)];
}

bool HasReferenceMonster(std::uint32_t b, const BossRecord& boss) {
  return boss.packTrigger == 1 && b != 1 && boss.packValue != boss.baseMonster;
}

// The monster a boss page names: its number as written, then its name and level, which a
// number outside the monster table shows as "ERROR!" and 0.
void WriteMonsterReference(PageFile& page, std::int32_t number, const MonsterRecord* monster) {
  const std::uint16_t level = monster ? monster->monsterLevel : std::uint16_t{0};
  page << number << " (<a href=\"m" << number << ".htm\" target=\"out\">"
       << (monster ? std::string_view(monster->name) : "ERROR!") << "</a>, <a href=\"ml" << level
       << ".htm\" target=\"nav\">level " << level << "</a>)";
}

void WriteDungeonLevelLink(PageFile& page, const BossRecord& boss) {
  page << "<a href=\"bd" << boss.dungeonLevel << ".htm\" target=\"nav\">";
  if (boss.dungeonLevel == 0) {
    page << "special</a>";
  } else {
    page << "dungeon level: " << boss.dungeonLevel << "</a>";
  }
}

// A reference outside the monster table has no resistances: its flags compare as 0.
std::string_view ComparisonNote(const BossRecord& boss, const MonsterRecord* reference) {
  const unsigned own = boss.resistances & kResistanceBits;
  const unsigned base = reference ? (reference->resistances & kResistanceBits) : 0u;
  const unsigned doom = reference ? (reference->doomResistances & kResistanceBits) : 0u;
  if (own == base && own == doom) return " (same as base)";
  if (own == base) return " (same as base in Horror/Purgatory difficulties)";
  if (own == doom) return " (same as base in Doom difficulty)";
  return {};
}

void WriteTechnicalInfo(const RunState& run, PageFile& page, const BossRecord& boss) {
  page << "Color translation: " << boss.colorTranslation.value_or(std::string())
       << "<br>AI type: " << boss.aiType << " (";
  page << (boss.aiType < run.config.AiTypeNames.size() ? std::string_view(run.config.AiTypeNames[boss.aiType])
                                                       : "ERROR!");
  page << "), subtype " << boss.aiSubtype << "<br>Pack trigger: " << boss.packTrigger
       << "<br>Pack value: " << boss.packValue << "<br>Special sound: " << boss.specialSound;
}

void WriteBossPage(const RunState& run, PageFile& page, std::uint32_t b, const BossRecord& boss,
                   const MonsterRecord* reference) {
  page << kPageHead << "<h3>" << b << ": " << boss.name << "</h3><img src=\"b" << b
       << ".png\"><p>Boss of monsters #";
  WriteMonsterReference(page, boss.baseMonster, FindMonster(run, boss.baseMonster));
  page << ", ";
  WriteDungeonLevelLink(page, boss);
  if (HasReferenceMonster(b, boss)) {
    page << "<br>Based on monster #";
    WriteMonsterReference(page, boss.packValue, reference);
  }
  page << "</p><p>HP: " << boss.hitPoints << "</p><p>Damage: " << boss.minDamage << "-" << boss.maxDamage
       << "</p><p>";
  const bool wroteResistances = WriteResistanceList(page, boss.resistances);
  page << ComparisonNote(boss, reference);
  if (run.TechnicalInfo) {
    if (wroteResistances) page << "</p><p>";
    WriteTechnicalInfo(run, page, boss);
  }
  page << "</p></body></html>";
}

// False when the run must end (the user answered Yes). A boss whose base or reference
// monster lies outside the table has no picture: it fails without reading anything.
bool WriteBossPicture(RunState& run, std::uint32_t b, const BossRecord& boss,
                      const MonsterRecord* reference) {
  const animfiledescr* group = nullptr;
  if (FindMonster(run, boss.baseMonster) && reference &&
      reference->animationGroup < run.AnimationGroups.size()) {
    group = &run.AnimationGroups[reference->animationGroup];
  }
  const bool written =
      group != nullptr &&
      WriteMonsterImage(run.archives, run.png, group->animationFile, reference->EffectiveColorTranslation(),
                        boss.colorTranslation, static_cast<std::uint32_t>(reference->animationSize),
                        run.DataFile("b" + NumToStr(b) + ".png"));
  if (written) return true;
  if (!run.host.AskExit("Cannot write an image for boss #" + NumToStr(b) + ". Exit?")) return true;
  run.AnimationGroups.clear();
  ReleaseAfterExit(run);
  return false;
}

}  // namespace

bool WriteBossPages(RunState& run) {
  for (std::uint32_t b = 0; b < run.bosses.size(); ++b) {
    const BossRecord& boss = run.bosses[b];
    const MonsterRecord* reference =
        FindMonster(run, HasReferenceMonster(b, boss) ? boss.packValue : boss.baseMonster);
    PageFile page;
    if (!page.Create(run.DataFile("b" + NumToStr(b) + ".htm"))) return RunError(run, "Cannot write to file");
    run.CountName(boss.name);
    WriteBossPage(run, page, b, boss, reference);
    if (!page.Close()) return RunError(run, "Cannot write to file");
    if (!WriteBossPicture(run, b, boss, reference)) return false;
  }
  return true;
}

bool WriteBossLists(RunState& run, PageFile& categoryPage) {
  std::map<std::uint32_t, std::vector<NamedRecord>> levels;
  for (std::uint32_t b = 0; b < run.bosses.size(); ++b) {
    const BossRecord& boss = run.bosses[b];
    if (boss.dungeonLevel <= run.MaxDungeonLevel) levels[boss.dungeonLevel].push_back({boss.name, b});
  }
  bool first = true;
  for (auto& [level, entries] : levels) {
    if (!first) categoryPage << "<br>";
    first = false;
    categoryPage << "<a href=\"bd" << level << ".htm\" target=\"nav\">";
    if (level == 0) {
      categoryPage << "Special";
    } else {
      categoryPage << "DLvl " << level;
    }
    categoryPage << "</a>";
    const std::string title =
        level == 0 ? std::string("Special bosses") : "Bosses of Dungeon Level " + NumToStr(level);
    if (!WriteSortedListPage(run, "bd" + NumToStr(level) + ".htm", title, entries, "b")) return false;
  }
  return true;
}

}  // namespace gvde
