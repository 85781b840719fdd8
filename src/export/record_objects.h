// One JSON object per record: its number and name, its decoded fields, the texts its page
// shows, the numbers of the records its page links to, and its picture file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "export/data_document.h"
#include "export/record_key.h"
#include "game/game_data.h"

namespace gvde {

// Keys keep the order they are added in, so the document reads number, name, fields.
using Json = nlohmann::ordered_json;

// Positions in kRecordCategories.
enum RecordCategoryIndex : std::size_t { kItems, kUniques, kMonsters, kBosses, kPrefixes, kSuffixes };

// What every record object is made with.
struct RecordContext {
  explicit RecordContext(const DataSources& from);

  const DataSources& sources;
  std::set<std::string, std::less<>> pictures;
  // Per category, the key of each record (export/record_key.h).
  std::array<std::vector<std::string>, kRecordCategories.size()> keys;

  // Game text as a UTF-8 string.
  static Json Text(std::string_view text);
  // The picture's name when the run wrote it, else null.
  Json PictureFile(std::string_view name) const;
  // An effect's name from Effect.ini, or null for a code it has no line for.
  Json EffectName(std::uint32_t code) const;
};

// Game text as a UTF-8 string, or null when it is absent.
Json OptionalText(const std::optional<std::string>& text);

template <typename Numbers>
Json NumberArray(const Numbers& numbers) {
  Json list = Json::array();
  for (const auto n : numbers) list.push_back(n);
  return list;
}

Json ItemObject(const RecordContext& context, std::uint32_t number);
Json UniqueObject(const RecordContext& context, std::uint32_t number);
Json MonsterObject(const RecordContext& context, std::uint32_t number);
Json BossObject(const RecordContext& context, std::uint32_t number);
Json AffixObject(const RecordContext& context, AffixKind kind, std::uint32_t number);

// The records of a category, and the object of one of them.
std::size_t RecordCount(const GameData& game, std::size_t category);
Json RecordObject(const RecordContext& context, std::size_t category, std::uint32_t number);

}  // namespace gvde
