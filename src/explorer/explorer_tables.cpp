#include "explorer/explorer_tables.h"

#include <string>

#include "game/affix_records.h"

namespace gvde {
namespace {

using Kind = CellKind;

const ExplorerColumn kNumber{"#", Kind::Number};
const ExplorerColumn kName{"Name", Kind::Name};

Json Range(const Json& o, const char* low, const char* high) { return Json::array({o.at(low), o.at(high)}); }

// A text the record may lack (null) as an empty cell.
Json TextOrEmpty(const Json& text) { return text.is_null() ? Json("") : text; }

// The texts of a list, null ones left out, as one cell.
Json Joined(const Json& texts, std::string_view separator) {
  std::string joined;
  for (const Json& text : texts) {
    if (text.is_null()) continue;
    if (!joined.empty()) joined += separator;
    joined += text.get_ref<const std::string&>();
  }
  return joined;
}

Json UniqueEffects(const Json& effects) {
  Json texts = Json::array();
  for (const Json& effect : effects) texts.push_back(effect.at("text"));
  return Joined(texts, "; ");
}

Json Row(const Json& o, std::initializer_list<Json> cells) {
  Json row = Json::array({o.at("number"), o.at("name")});
  for (const Json& cell : cells) row.push_back(cell);
  return row;
}

ExplorerTable Items(const RecordContext& context) {
  return {"items",
          "Items",
          "i",
          {kNumber, kName, {"Type", Kind::Text}, {"Level", Kind::Number}, {"Damage", Kind::Range},
           {"Armor", Kind::Range}, {"Price", Kind::Number}, {"Requirements", Kind::Text}},
          3,
          context.sources.game.items.size(),
          [&context](std::uint32_t n) {
            const Json o = ItemObject(context, n);
            return Row(o, {o.at("itemTypeName"), o.at("level"), Range(o, "minDamage", "maxDamage"),
                           Range(o, "minArmor", "maxArmor"), o.at("price"), TextOrEmpty(o.at("requirements"))});
          }};
}

ExplorerTable Uniques(const RecordContext& context) {
  return {"uniques",
          "Uniques",
          "u",
          {kNumber, kName, {"Level", Kind::Number}, {"Base item", Kind::Record, "items"}, {"Price", Kind::Number},
           {"Effects", Kind::Text}},
          2,
          context.sources.game.uniques.size(),
          [&context](std::uint32_t n) {
            const Json o = UniqueObject(context, n);
            return Row(o, {o.at("level"), o.at("baseItem"), o.at("price"), UniqueEffects(o.at("effects"))});
          }};
}

ExplorerTable Monsters(const RecordContext& context) {
  return {"monsters",
          "Monsters",
          "m",
          {kNumber, kName, {"Level", Kind::Number}, {"Hit points", Kind::Range}, {"Experience", Kind::Number},
           {"Dungeon levels", Kind::Range}, {"AI type", Kind::Text}},
          2,
          context.sources.game.monsters.size(),
          [&context](std::uint32_t n) {
            const Json o = MonsterObject(context, n);
            return Row(o, {o.at("monsterLevel"), Range(o, "minHitPoints", "maxHitPoints"), o.at("experience"),
                           Range(o, "firstDungeonLevel", "lastDungeonLevel"), o.at("aiTypeName")});
          }};
}

ExplorerTable Bosses(const RecordContext& context) {
  return {"bosses",
          "Bosses",
          "b",
          {kNumber, kName, {"Dungeon level", Kind::Number}, {"Hit points", Kind::Number}, {"Damage", Kind::Range},
           {"Base monster", Kind::Record, "monsters"}},
          2,
          context.sources.game.bosses.size(),
          [&context](std::uint32_t n) {
            const Json o = BossObject(context, n);
            return Row(o, {o.at("dungeonLevel"), o.at("hitPoints"), Range(o, "minDamage", "maxDamage"),
                           o.at("baseMonster")});
          }};
}

ExplorerTable Affixes(const RecordContext& context, AffixKind kind) {
  const bool prefix = kind == AffixKind::Prefix;
  return {prefix ? "prefixes" : "suffixes",
          prefix ? "Prefixes" : "Suffixes",
          prefix ? "p" : "s",
          {kNumber, kName, {"Level", Kind::Number}, {"Effect", Kind::Text}, {"Price", Kind::Range},
           {"Item classes", Kind::Text}},
          2,
          context.sources.game.Affixes(kind).size(),
          [&context, kind](std::uint32_t n) {
            const Json o = AffixObject(context, kind, n);
            return Row(o, {o.at("level"), o.at("effectText"), Range(o, "minPrice", "maxPrice"),
                           Joined(o.at("itemClassNames"), ", ")});
          }};
}

}  // namespace

std::vector<ExplorerTable> ExplorerTables(const RecordContext& context) {
  std::vector<ExplorerTable> tables;
  tables.push_back(Items(context));
  tables.push_back(Uniques(context));
  tables.push_back(Monsters(context));
  tables.push_back(Bosses(context));
  tables.push_back(Affixes(context, AffixKind::Prefix));
  tables.push_back(Affixes(context, AffixKind::Suffix));
  return tables;
}

}  // namespace gvde
