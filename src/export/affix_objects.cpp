#include "effects/effect_descriptions.h"
#include "export/record_objects.h"
#include "game/affix_records.h"
#include "game/record_texts.h"

namespace gvde {

Json AffixObject(const RecordContext& context, AffixKind kind, std::uint32_t number) {
  const DataSources& sources = context.sources;
  const AffixRecord& affix = sources.game.Affixes(kind)[number];
  const EffectContext effects{sources.effectNames, sources.game};
  const std::string_view group = AffixGroupName(affix.group);
  Json classNames = Json::array();
  for (const std::uint32_t i : AffixItemClasses(affix)) classNames.push_back(AffixItemClassName(i));
  Json o;
  o["number"] = number;
  o["name"] = RecordContext::Text(affix.name);
  o["key"] = context.keys[kind == AffixKind::Prefix ? kPrefixes : kSuffixes][number];
  o["level"] = affix.level;
  o["effectCode"] = affix.effect.code;
  o["effectName"] = context.EffectName(affix.effect.code);
  o["effectParam1"] = affix.effect.param1;
  o["effectParam2"] = affix.effect.param2;
  o["effectText"] = RecordContext::Text(DescribeEffect(affix.effect, effects));
  o["itemClasses"] = affix.itemClasses;
  o["itemClassNames"] = std::move(classNames);
  o["minPrice"] = affix.minPrice;
  o["maxPrice"] = affix.maxPrice;
  o["priceMultiplier"] = affix.priceMultiplier;
  o["group"] = affix.group;
  o["groupName"] = group.empty() ? Json(nullptr) : Json(group);
  o["inShops"] = affix.inShops;
  o["cursed"] = affix.inShops == 0;
  return o;
}

}  // namespace gvde
