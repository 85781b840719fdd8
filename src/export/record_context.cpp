#include "export/record_objects.h"
#include "export/text_encoding.h"
#include "game/affix_records.h"

namespace gvde {

namespace {

template <typename Records>
std::vector<std::string> KeysOf(char letter, const Records& records) {
  RecordKeys keys(letter);
  std::vector<std::string> list;
  list.reserve(records.size());
  for (const auto& record : records) list.push_back(keys.Next(Windows1252ToUtf8(record.name)));
  return list;
}

}  // namespace

RecordContext::RecordContext(const DataSources& from)
    : sources(from), pictures(from.pictures.begin(), from.pictures.end()) {
  const GameData& game = from.game;
  keys[kItems] = KeysOf(kRecordCategories[kItems].letter, game.items);
  keys[kUniques] = KeysOf(kRecordCategories[kUniques].letter, game.uniques);
  keys[kMonsters] = KeysOf(kRecordCategories[kMonsters].letter, game.monsters);
  keys[kBosses] = KeysOf(kRecordCategories[kBosses].letter, game.bosses);
  keys[kPrefixes] = KeysOf(kRecordCategories[kPrefixes].letter, game.Affixes(AffixKind::Prefix));
  keys[kSuffixes] = KeysOf(kRecordCategories[kSuffixes].letter, game.Affixes(AffixKind::Suffix));
}

Json RecordContext::Text(std::string_view text) { return Windows1252ToUtf8(text); }

Json OptionalText(const std::optional<std::string>& text) {
  return text ? RecordContext::Text(*text) : Json(nullptr);
}

Json RecordContext::PictureFile(std::string_view name) const {
  if (pictures.find(name) == pictures.end()) return nullptr;
  return std::string(name);
}

Json RecordContext::EffectName(std::uint32_t code) const {
  if (code >= sources.effectNames.size()) return nullptr;
  return Text(sources.effectNames[code]);
}

std::size_t RecordCount(const GameData& game, std::size_t category) {
  switch (category) {
    case kItems: return game.items.size();
    case kUniques: return game.uniques.size();
    case kMonsters: return game.monsters.size();
    case kBosses: return game.bosses.size();
    case kPrefixes: return game.Affixes(AffixKind::Prefix).size();
    default: return game.Affixes(AffixKind::Suffix).size();
  }
}

Json RecordObject(const RecordContext& context, std::size_t category, std::uint32_t number) {
  switch (category) {
    case kItems: return ItemObject(context, number);
    case kUniques: return UniqueObject(context, number);
    case kMonsters: return MonsterObject(context, number);
    case kBosses: return BossObject(context, number);
    case kPrefixes: return AffixObject(context, AffixKind::Prefix, number);
    default: return AffixObject(context, AffixKind::Suffix, number);
  }
}

}  // namespace gvde
