#include "site/item_pages.h"

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "game/item_records.h"
#include "game/record_texts.h"
#include "site/category_lists.h"
#include "platform/num_to_str.h"

namespace gvde {

namespace {

void WriteHead(PageFile& page, std::uint32_t index, const ItemRecord& item) {
  page << kPageHead << "<h3>" << index << ": " << GameText{item.name} << ", <a href=\"il" << item.level
       << ".htm\" target=\"nav\">Level " << item.level << "</a></h3><img src=\"i" << item.picture << ".png\">";
}

void WriteKindLine(PageFile& page, const ItemRecord& item) {
  page << "<p>" << DropName(item.dropKind) << "</p><p>" << EquipLocationName(item.equipLocation) << ", "
       << ItemClassName(item.itemClass) << " (" << ItemTypeName(item.itemType) << ")</p>";
}

void WriteStatistics(PageFile& page, const ItemRecord& item) {
  if (item.magicName) page << "<p>Name for magical items: " << GameText{*item.magicName} << "</p>";
  if (item.durability != 0) page << "<p>Durability: " << item.durability << "</p>";
  if (item.minDamage != 0 || item.maxDamage != 0) {
    page << "<p>Damage: " << item.minDamage << "-" << item.maxDamage << "</p>";
  }
  if (item.minArmor != 0 || item.maxArmor != 0) {
    page << "<p>Armor: " << item.minArmor;
    if (item.maxArmor != item.minArmor) page << "-" << item.maxArmor;
    page << "</p>";
  }
}

void WriteRequirements(PageFile& page, const ItemRecord& item) {
  const std::string requirements = RequirementsText(item);
  if (!requirements.empty()) page << "<p>Requirements: " << requirements << "</p>";
}

void WriteUniquesList(PageFile& page, const std::vector<std::uint32_t>& uniqueIndexes,
                      const std::vector<UniqueRecord>& uniques) {
  if (uniqueIndexes.empty()) return;
  page << "<p>Uniques:";
  for (const std::uint32_t u : uniqueIndexes) {
    page << "<br><a href=\"u" << u << ".htm\" target=\"out\">" << GameText{uniques[u].name} << "</a>";
  }
  page << "</p>";
}

void WriteTechnicalLines(PageFile& page, const ItemRecord& item) {
  page << "<p>Unique ID: " << item.uniqueId << "</p><p>Special effect: " << item.specialEffect << "</p>";
  if (item.magicCode != 0) page << "<p>Magic code: " << item.magicCode << "</p>";
}

// The level section of the category page and the level list pages data/il<L>.htm.
void WriteItemLists(const GameData& game, PageFile& categoryPage, ListPages& pages) {
  ValueLists byLevel;
  for (std::uint32_t n = 0; n < game.items.size(); ++n) byLevel[game.items[n].level].push_back({game.items[n].name, n});
  const ValueSection levels{"il", "i", [](std::uint32_t level) { return "Level " + NumToStr(level); },
                            [](std::uint32_t level) { return "Item Level " + NumToStr(level); }};
  WriteValueSection(categoryPage, levels, byLevel, pages);
}

void WriteItemPage(PageFile& page, const PageContext& context, std::uint32_t number) {
  const GameData& game = context.game;
  const ItemRecord& item = game.items[number];
  WriteHead(page, number, item);
  WriteKindLine(page, item);
  WriteStatistics(page, item);
  WriteRequirements(page, item);
  if (item.consumed != 0) page << "<p>Disappears when used</p>";
  page << "<p>Price: " << item.price << "</p>\r\n";
  if (item.spell != 0) {
    page << "<p>Spell: " << GameText{game.SpellName(static_cast<std::uint32_t>(item.spell))} << "</p>\r\n";
  }
  WriteUniquesList(page, game.uniquesById[item.uniqueId], game.uniques);
  if (context.technicalInfo) WriteTechnicalLines(page, item);
  page << "</body></html>";
}

}  // namespace

Category ItemCategory(const Run& run) {
  return {"i", "Items", NamesOf(run.game.items),
          [context = run.Pages()](PageFile& page, std::uint32_t n) { WriteItemPage(page, context, n); },
          [&run](PageFile& categoryPage, ListPages& pages) { WriteItemLists(run.game, categoryPage, pages); }};
}

}  // namespace gvde
