#include <string>

#include "export/record_objects.h"
#include "game/monster_records.h"
#include "game/record_texts.h"
#include "platform/num_to_str.h"

namespace gvde {

namespace {

Json ResistanceNames(std::uint16_t flags) {
  Json names = Json::array();
  for (const Resistance& resistance : ResistancesOf(flags)) names.push_back(resistance.name);
  return names;
}

}  // namespace

Json MonsterObject(const RecordContext& context, std::uint32_t number) {
  const DataSources& sources = context.sources;
  const MonsterRecord& m = sources.game.monsters[number];
  const animfiledescr* group = sources.game.GroupOf(m);
  Json o;
  o["number"] = number;
  o["name"] = RecordContext::Text(m.name);
  o["key"] = context.keys[kMonsters][number];
  o["monsterClass"] = m.monsterClass;
  o["monsterClassName"] = MonsterClassName(m.monsterClass);
  o["monsterLevel"] = m.monsterLevel;
  o["minDungeonCode"] = m.minDungeonCode;
  o["maxDungeonCode"] = m.maxDungeonCode;
  o["firstDungeonLevel"] = m.FirstDungeonLevel();
  o["lastDungeonLevel"] = m.LastDungeonLevel();
  o["minHitPoints"] = m.minHitPoints;
  o["maxHitPoints"] = m.maxHitPoints;
  o["experience"] = m.experience;
  o["minDamage"] = m.minDamage;
  o["maxDamage"] = m.maxDamage;
  o["toHit"] = m.toHit;
  o["attackFrame"] = m.attackFrame;
  o["secondAttackEnabled"] = m.secondAttackEnabled;
  o["minDamage2"] = m.minDamage2;
  o["maxDamage2"] = m.maxDamage2;
  o["toHit2"] = m.toHit2;
  o["attackFrame2"] = m.attackFrame2;
  o["armor"] = m.armor;
  o["resistances"] = m.resistances;
  o["resistanceNames"] = ResistanceNames(m.resistances);
  o["doomResistances"] = m.doomResistances;
  o["doomResistanceNames"] = ResistanceNames(m.doomResistances);
  o["aiType"] = m.AiType();
  o["aiTypeName"] = RecordContext::Text(AiTypeName(sources.aiTypeNames, m.AiType()));
  o["aiSubtype"] = m.aiSubtype;
  o["iq"] = m.Iq();
  o["frameCounts"] = NumberArray(m.frameCounts);
  o["frameDelays"] = NumberArray(m.frameDelays);
  o["animationSize"] = m.animationSize;
  o["seedingSize"] = m.seedingSize;
  o["animationGroup"] = m.animationGroup;
  o["animationFile"] = group ? RecordContext::Text(group->animationFile) : Json(nullptr);
  o["soundSet"] = RecordContext::Text(m.soundSet);
  o["specialSounds"] = m.specialSounds;
  o["hasColorTranslation"] = m.hasColorTranslation;
  o["colorTranslationFile"] = OptionalText(m.EffectiveColorTranslation());
  o["dropType"] = m.dropType;
  o["selectionOutline"] = m.selectionOutline;
  o["bosses"] = NumberArray(sources.game.bossesByMonster[number]);
  o["pictureFile"] = context.PictureFile("data/m" + NumToStr(number) + ".png");
  return o;
}

Json BossObject(const RecordContext& context, std::uint32_t number) {
  const DataSources& sources = context.sources;
  const BossRecord& boss = sources.game.bosses[number];
  const MonsterRecord* reference = sources.game.Monster(ReferenceMonsterNumber(number, boss));
  const std::string_view comparison = ResistanceComparison(boss, reference);
  Json o;
  o["number"] = number;
  o["name"] = RecordContext::Text(boss.name);
  o["key"] = context.keys[kBosses][number];
  o["baseMonster"] = boss.baseMonster;
  o["basedOnMonster"] = HasReferenceMonster(number, boss) ? Json(boss.packValue) : Json(nullptr);
  o["dungeonLevel"] = boss.dungeonLevel;
  o["hitPoints"] = boss.hitPoints;
  o["minDamage"] = boss.minDamage;
  o["maxDamage"] = boss.maxDamage;
  o["resistances"] = boss.resistances;
  o["resistanceNames"] = ResistanceNames(boss.resistances);
  o["resistanceComparison"] = comparison.empty() ? Json(nullptr) : Json(comparison);
  o["aiType"] = boss.aiType;
  o["aiTypeName"] = RecordContext::Text(AiTypeName(sources.aiTypeNames, boss.aiType));
  o["aiSubtype"] = boss.aiSubtype;
  o["packTrigger"] = boss.packTrigger;
  o["packValue"] = boss.packValue;
  o["specialSound"] = boss.specialSound;
  o["colorTranslation"] = OptionalText(boss.colorTranslation);
  o["pictureFile"] = context.PictureFile("data/b" + NumToStr(number) + ".png");
  return o;
}

}  // namespace gvde
