#include "site/boss_pages.h"

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
#include "site/monster_pages.h"
#include "site/record_pages.h"

namespace gvde {

namespace {

// The monster a boss page names: its number as written, then its name and level, which a
// number outside the monster table shows as "ERROR!" and 0.
void WriteMonsterReference(PageFile& page, std::int32_t number, const MonsterRecord* monster) {
  const std::uint16_t level = monster ? monster->monsterLevel : std::uint16_t{0};
  page << number << " (<a href=\"m" << number << ".htm\" target=\"out\">"
       << GameText{monster ? std::string_view(monster->name) : "ERROR!"} << "</a>, <a href=\"ml" << level
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

void WriteComparisonNote(PageFile& page, const BossRecord& boss, const MonsterRecord* reference) {
  const std::string_view note = ResistanceComparison(boss, reference);
  if (!note.empty()) page << " (" << note << ")";
}

void WriteTechnicalInfo(const PageContext& context, PageFile& page, const BossRecord& boss) {
  page << "Color translation: " << GameText{boss.colorTranslation.value_or(std::string())}
       << "<br>AI type: " << boss.aiType << " (" << GameText{AiTypeName(context.config.aiTypeNames, boss.aiType)}
       << "), subtype " << boss.aiSubtype << "<br>Pack trigger: " << boss.packTrigger
       << "<br>Pack value: " << boss.packValue << "<br>Special sound: " << boss.specialSound;
}

// The monster whose looks and resistances a boss takes.
const MonsterRecord* ReferenceMonster(const GameData& game, std::uint32_t b) {
  return game.Monster(ReferenceMonsterNumber(b, game.bosses[b]));
}

// What the picture of boss b reads: the reference monster's sprite file and colour table, and
// the boss's own table. A boss whose base or reference monster lies outside the table has no
// picture: it fails without reading anything.
PictureJob PrepareBossPicture(Run& run, std::uint32_t b) {
  const BossRecord& boss = run.game.bosses[b];
  const MonsterRecord* reference = ReferenceMonster(run.game, b);
  const auto missing = [&run](std::string problem) {
    return MonsterPictureJob(run.png, {std::nullopt, std::move(problem)});
  };
  if (run.game.Monster(boss.baseMonster) == nullptr) {
    return missing("its monster #" + NumToStr(boss.baseMonster) + " is not in the monster table");
  }
  if (reference == nullptr) {
    return missing("monster #" + NumToStr(ReferenceMonsterNumber(b, boss)) +
                   ", whose picture it takes, is not in the monster table");
  }
  const animfiledescr* group = run.game.GroupOf(*reference);
  if (group == nullptr) return missing("the monster has no sprite file");
  return MonsterPictureJob(run.png,
                           run.monsterFrames.Read(group->animationFile, reference->EffectiveColorTranslation(),
                                                  boss.colorTranslation, static_cast<std::uint32_t>(reference->animationSize)));
}

void WriteBossLists(const GameData& game, PageFile& categoryPage, ListPages& pages) {
  ValueLists levels;
  for (std::uint32_t b = 0; b < game.bosses.size(); ++b) {
    const BossRecord& boss = game.bosses[b];
    if (boss.dungeonLevel <= game.maxDungeonLevel) levels[boss.dungeonLevel].push_back({boss.name, b});
  }
  const ValueSection section{
      "bd", "b", [](std::uint32_t level) { return level == 0 ? std::string("Special") : "DLvl " + NumToStr(level); },
      [](std::uint32_t level) {
        return level == 0 ? std::string("Special bosses") : "Bosses of Dungeon Level " + NumToStr(level);
      }};
  WriteValueSection(categoryPage, section, levels, pages);
}

void WriteBossPage(PageFile& page, const PageContext& context, std::uint32_t b) {
  const GameData& game = context.game;
  const BossRecord& boss = game.bosses[b];
  const MonsterRecord* reference = ReferenceMonster(game, b);
  page << kPageHead << "<h3>" << b << ": " << GameText{boss.name} << "</h3><img src=\"b" << b
       << ".png\"><p>Boss of monsters #";
  WriteMonsterReference(page, boss.baseMonster, game.Monster(boss.baseMonster));
  page << ", ";
  WriteDungeonLevelLink(page, boss);
  if (HasReferenceMonster(b, boss)) {
    page << "<br>Based on monster #";
    WriteMonsterReference(page, boss.packValue, reference);
  }
  page << "</p><p>HP: " << boss.hitPoints << "</p><p>Damage: " << boss.minDamage << "-" << boss.maxDamage
       << "</p><p>";
  const bool wroteResistances = WriteResistanceList(page, boss.resistances);
  WriteComparisonNote(page, boss, reference);
  if (context.technicalInfo) {
    if (wroteResistances) page << "</p><p>";
    WriteTechnicalInfo(context, page, boss);
  }
  page << "</p></body></html>";
}

}  // namespace

Category BossCategory(Run& run) {
  return {"b", "Bosses", NamesOf(run.game.bosses),
          [context = run.Pages()](PageFile& page, std::uint32_t b) { WriteBossPage(page, context, b); },
          [&run](PageFile& categoryPage, ListPages& pages) { WriteBossLists(run.game, categoryPage, pages); },
          "boss", [&run](std::uint32_t b) { return PrepareBossPicture(run, b); }};
}

}  // namespace gvde
