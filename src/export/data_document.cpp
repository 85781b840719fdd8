#include "export/data_document.h"

#include <exception>
#include <functional>

#include "export/record_objects.h"
#include "platform/file_system.h"

namespace gvde {

namespace {

constexpr int kIndent = 2;

Json RecordArray(std::size_t count, const std::function<Json(std::uint32_t)>& object) {
  Json records = Json::array();
  for (std::uint32_t n = 0; n < count; ++n) records.push_back(object(n));
  return records;
}

Json Document(const RecordContext& context) {
  const GameData& game = context.sources.game;
  Json document;
  document["format"] = "gvde-data";
  document["version"] = 1;
  document["title"] = RecordContext::Text(game.Image().ReadString(context.sources.titleAddress));
  document["items"] = RecordArray(game.items.size(), [&](std::uint32_t n) { return ItemObject(context, n); });
  document["uniques"] =
      RecordArray(game.uniques.size(), [&](std::uint32_t n) { return UniqueObject(context, n); });
  document["monsters"] =
      RecordArray(game.monsters.size(), [&](std::uint32_t n) { return MonsterObject(context, n); });
  document["bosses"] =
      RecordArray(game.bosses.size(), [&](std::uint32_t n) { return BossObject(context, n); });
  for (const AffixKind kind : {AffixKind::Prefix, AffixKind::Suffix}) {
    document[kind == AffixKind::Prefix ? "prefixes" : "suffixes"] = RecordArray(
        game.Affixes(kind).size(), [&](std::uint32_t n) { return AffixObject(context, kind, n); });
  }
  return document;
}

}  // namespace

std::string DataDocument(const DataSources& sources) {
  // The JSON library reports running out of memory by exception; it stays inside this module.
  try {
    const RecordContext context{sources, {sources.pictures.begin(), sources.pictures.end()}};
    return Document(context).dump(kIndent) + "\n";
  } catch (const std::exception&) {
    return {};
  }
}

bool WriteDataDocument(const std::string& path, const DataSources& sources) {
  const std::string document = DataDocument(sources);
  if (document.empty()) return false;
  const std::string temporary = path + ".tmp";
  OutputFile file;
  if (!file.Create(temporary)) return false;
  file.Write(document);
  if (file.Close() && RenameOver(temporary, path)) return true;
  RemoveFile(temporary);
  return false;
}

}  // namespace gvde
