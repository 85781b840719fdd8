#include "site/unique_pages.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "effects/effect_descriptions.h"
#include "game/item_records.h"
#include "game/record_texts.h"
#include "site/category_lists.h"
#include "platform/num_to_str.h"

namespace gvde {

namespace {

void WriteHead(PageFile& page, std::uint32_t index, const UniqueRecord& unique) {
  page << kPageHead << "<h3>" << index << ": " << GameText{unique.name} << ", <a href=\"ul" << unique.level
       << ".htm\" target=\"nav\">Level " << unique.level << "</a></h3>";
}

void WriteBaseLine(PageFile& page, const UniqueRecord& unique, std::optional<std::uint32_t> baseIndex,
                   const std::vector<ItemRecord>& items) {
  if (!baseIndex) {
    page << "<p>BASE NOT FOUND!</p>";
    return;
  }
  const ItemRecord& base = items[*baseIndex];
  page << "<img src=\"i" << UniquePicture(unique, base) << ".png\"><p>Kind of <a href=\"i" << *baseIndex
       << ".htm\" target=\"out\">" << GameText{base.name} << "</a>, <a href=\"il" << base.level
       << ".htm\" target=\"nav\">Level " << base.level << "</a></p>";
}

void WriteEffects(PageFile& page, const UniqueRecord& unique, const EffectContext& context) {
  const std::uint32_t used = EffectsUsed(unique);
  for (std::uint32_t k = 0; k < used; ++k) {
    const EffectEntry& entry = unique.effects[k];
    if (entry.code == kUniquePictureEffect) continue;
    page << "<p>" << GameText{DescribeEffect(entry, context)} << "</p>";
  }
}

// The level section and the unique ID section of the category page, with their list pages.
void WriteUniqueLists(const GameData& game, PageFile& categoryPage, ListPages& pages) {
  ValueLists byLevel;
  ValueLists byId;
  for (std::uint32_t u = 0; u < game.uniques.size(); ++u) {
    const UniqueRecord& unique = game.uniques[u];
    byLevel[unique.level].push_back({unique.name, u});
    byId[unique.uniqueId].push_back({unique.name, u});
  }
  const ValueSection levels{"ul", "u", [](std::uint32_t level) { return "Level " + NumToStr(level); },
                            [](std::uint32_t level) { return "Unique Level " + NumToStr(level); }};
  const auto idText = [](std::uint32_t id) { return "Unique ID " + NumToStr(id); };
  WriteValueSection(categoryPage, levels, byLevel, pages);
  categoryPage << "<hr>";
  WriteValueSection(categoryPage, {"ui", "u", idText, idText}, byId, pages);
}

void WriteUniquePage(PageFile& page, const PageContext& context, std::uint32_t number) {
  const GameData& game = context.game;
  const UniqueRecord& unique = game.uniques[number];
  WriteHead(page, number, unique);
  WriteBaseLine(page, unique, game.baseItemById[unique.uniqueId], game.items);
  page << "<p>Price: " << unique.price << " (sold for " << SellingPrice(unique) << ")</p>";
  WriteEffects(page, unique, {context.config.effectNames, game});
  if (context.technicalInfo) {
    page << "<p><a href=\"ui" << unique.uniqueId << ".htm\" target=\"nav\">Unique ID: " << unique.uniqueId
         << "</a></p>\r\n";
  }
  page << "</body></html>";
}

}  // namespace

Category UniqueCategory(const Run& run) {
  return {"u", "Uniques", NamesOf(run.game.uniques),
          [context = run.Pages()](PageFile& page, std::uint32_t n) { WriteUniquePage(page, context, n); },
          [&run](PageFile& categoryPage, ListPages& pages) { WriteUniqueLists(run.game, categoryPage, pages); }};
}

}  // namespace gvde
