#include <optional>
#include <string>

#include "effects/effect_descriptions.h"
#include "export/record_objects.h"
#include "game/item_records.h"
#include "game/record_texts.h"
#include "platform/num_to_str.h"

namespace gvde {

namespace {

Json ItemPictureFile(const RecordContext& context, std::int32_t picture) {
  return context.PictureFile("data/i" + NumToStr(picture) + ".png");
}

// The used entries, in order; the picture entry (code 44) is not shown as an effect: no text.
Json EffectList(const RecordContext& context, const UniqueRecord& unique) {
  const DataSources& sources = context.sources;
  const EffectContext effects{sources.effectNames, sources.game};
  Json list = Json::array();
  for (std::uint32_t k = 0; k < EffectsUsed(unique); ++k) {
    const EffectEntry& entry = unique.effects[k];
    Json effect;
    effect["code"] = entry.code;
    effect["name"] = context.EffectName(entry.code);
    effect["param1"] = entry.param1;
    effect["param2"] = entry.param2;
    effect["text"] = entry.code == kUniquePictureEffect ? Json(nullptr)
                                                        : RecordContext::Text(DescribeEffect(entry, effects));
    list.push_back(std::move(effect));
  }
  return list;
}

}  // namespace

Json ItemObject(const RecordContext& context, std::uint32_t number) {
  const GameData& game = context.sources.game;
  const ItemRecord& item = game.items[number];
  const std::string requirements = RequirementsText(item);
  Json o;
  o["number"] = number;
  o["name"] = RecordContext::Text(item.name);
  o["key"] = context.keys[kItems][number];
  o["dropKind"] = item.dropKind;
  o["dropKindName"] = DropName(item.dropKind);
  o["itemClass"] = item.itemClass;
  o["itemClassName"] = ItemClassName(item.itemClass);
  o["equipLocation"] = item.equipLocation;
  o["equipLocationName"] = EquipLocationName(item.equipLocation);
  o["itemType"] = item.itemType;
  o["itemTypeName"] = ItemTypeName(item.itemType);
  o["uniqueId"] = item.uniqueId;
  o["magicName"] = OptionalText(item.magicName);
  o["level"] = item.level;
  o["durability"] = item.durability;
  o["minDamage"] = item.minDamage;
  o["maxDamage"] = item.maxDamage;
  o["minArmor"] = item.minArmor;
  o["maxArmor"] = item.maxArmor;
  o["reqStr"] = item.reqStr;
  o["reqMag"] = item.reqMag;
  o["reqDex"] = item.reqDex;
  o["reqVit"] = item.reqVit;
  o["requirements"] = requirements.empty() ? Json(nullptr) : Json(requirements);
  o["specialEffect"] = item.specialEffect;
  o["magicCode"] = item.magicCode;
  o["spell"] = item.spell;
  o["spellName"] =
      item.spell == 0 ? Json(nullptr) : RecordContext::Text(game.SpellName(static_cast<std::uint32_t>(item.spell)));
  o["consumed"] = item.consumed;
  o["price"] = item.price;
  o["uniques"] = NumberArray(game.uniquesById[item.uniqueId]);
  o["picture"] = item.picture;
  o["pictureFile"] = ItemPictureFile(context, item.picture);
  return o;
}

Json UniqueObject(const RecordContext& context, std::uint32_t number) {
  const GameData& game = context.sources.game;
  const UniqueRecord& unique = game.uniques[number];
  const std::optional<std::uint32_t> base = game.baseItemById[unique.uniqueId];
  // Without a base item the page shows no picture.
  Json picture = nullptr;
  Json pictureFile = nullptr;
  if (base) {
    const std::int32_t shown = UniquePicture(unique, game.items[*base]);
    picture = shown;
    pictureFile = ItemPictureFile(context, shown);
  }
  Json o;
  o["number"] = number;
  o["name"] = RecordContext::Text(unique.name);
  o["key"] = context.keys[kUniques][number];
  o["uniqueId"] = unique.uniqueId;
  o["level"] = unique.level;
  o["price"] = unique.price;
  o["sellingPrice"] = SellingPrice(unique);
  o["effectCount"] = unique.effectCount;
  o["effects"] = EffectList(context, unique);
  o["baseItem"] = base ? Json(*base) : Json(nullptr);
  o["picture"] = std::move(picture);
  o["pictureFile"] = std::move(pictureFile);
  return o;
}

}  // namespace gvde
