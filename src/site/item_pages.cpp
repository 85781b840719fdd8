#include "site/item_pages.h"

#include <array>
#include <cstdint>
#include <map>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "game/item_records.h"
#include "site/category_lists.h"
#include "site/num_to_str.h"

namespace gvde {

namespace {

// Unique indexes in table order for each of the 256 unique IDs, built once per pass.
using UniquesById = std::array<std::vector<std::uint32_t>, 256>;

UniquesById IndexUniquesById(const std::vector<UniqueRecord>& uniques) {
  UniquesById byId;
  for (std::size_t u = 0; u < uniques.size(); ++u) {
    byId[uniques[u].uniqueId].push_back(static_cast<std::uint32_t>(u));
  }
  return byId;
}

// SpellName needs an image; a run without one (never the case in a real run) reads nothing.
const executable& ImageOf(const RunState& run) {
  static const executable kNoImage;
  return run.image ? *run.image : kNoImage;
}

void WriteHead(PageFile& page, std::uint32_t index, const ItemRecord& item) {
  page << kPageHead << "<h3>" << index << ": " << item.name << ", <a href=\"il" << item.level
       << ".htm\" target=\"nav\">Level " << item.level << "</a></h3><img src=\"i" << item.picture << ".png\">";
}

void WriteKindLine(PageFile& page, const ItemRecord& item) {
  page << "<p>" << DropName(item.dropKind) << "</p><p>" << EquipLocationName(item.equipLocation) << ", "
       << ItemClassName(item.itemClass) << " (" << ItemTypeName(item.itemType) << ")</p>";
}

void WriteStatistics(PageFile& page, const ItemRecord& item) {
  if (item.magicName) page << "<p>Name for magical items: " << *item.magicName << "</p>";
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
  struct Requirement {
    std::uint8_t value;
    std::string_view suffix;
  };
  const std::array<Requirement, 4> requirements = {
      {{item.reqStr, " Str"}, {item.reqMag, " Mag"}, {item.reqDex, " Dex"}, {item.reqVit, " Vit"}}};
  bool first = true;
  for (const Requirement& requirement : requirements) {
    if (requirement.value == 0) continue;
    page << (first ? "<p>Requirements: " : ", ") << requirement.value << requirement.suffix;
    first = false;
  }
  if (!first) page << "</p>";
}

void WriteUniquesList(PageFile& page, const std::vector<std::uint32_t>& uniqueIndexes,
                      const std::vector<UniqueRecord>& uniques) {
  if (uniqueIndexes.empty()) return;
  page << "<p>Uniques:";
  for (const std::uint32_t u : uniqueIndexes) {
    page << "<br><a href=\"u" << u << ".htm\" target=\"out\">" << uniques[u].name << "</a>";
  }
  page << "</p>";
}

void WriteTechnicalLines(PageFile& page, const ItemRecord& item) {
  page << "<p>Unique ID: " << item.uniqueId << "</p><p>Special effect: " << item.specialEffect << "</p>";
  if (item.magicCode != 0) page << "<p>Magic code: " << item.magicCode << "</p>";
}

bool WriteItemPage(RunState& run, std::uint32_t index, const ItemRecord& item, const UniquesById& uniquesById) {
  PageFile page;
  if (!page.Create(run.DataFile("i" + NumToStr(index) + ".htm"))) return RunError(run, "Cannot write to file");
  run.CountName(item.name);

  WriteHead(page, index, item);
  WriteKindLine(page, item);
  WriteStatistics(page, item);
  WriteRequirements(page, item);
  if (item.consumed != 0) page << "<p>Disappears when used</p>";
  page << "<p>Price: " << item.price << "</p>\r\n";
  if (item.spell != 0) {
    const std::uint32_t code = static_cast<std::uint32_t>(item.spell);
    page << "<p>Spell: " << SpellName(ImageOf(run), run.config.addresses.SpellTable, code) << "</p>\r\n";
  }
  WriteUniquesList(page, uniquesById[item.uniqueId], run.uniques);
  if (run.TechnicalInfo) WriteTechnicalLines(page, item);
  page << "</body></html>";

  if (!page.Close()) return RunError(run, "Cannot write to file");
  return true;
}

// Only the levels that occur, ascending; each group in table order before sorting.
using LevelGroups = std::map<std::uint32_t, std::vector<NamedRecord>>;

LevelGroups GroupByLevel(const std::vector<ItemRecord>& items) {
  LevelGroups byLevel;
  for (std::size_t n = 0; n < items.size(); ++n) {
    byLevel[items[n].level].push_back({items[n].name, static_cast<std::uint32_t>(n)});
  }
  return byLevel;
}

}  // namespace

bool WriteItemPages(RunState& run) {
  const UniquesById uniquesById = IndexUniquesById(run.uniques);
  for (std::size_t n = 0; n < run.items.size(); ++n) {
    if (!WriteItemPage(run, static_cast<std::uint32_t>(n), run.items[n], uniquesById)) return false;
  }
  return true;
}

bool ItemListCallback(RunState& run, PageFile& categoryPage) {
  LevelGroups byLevel;
  try {
    byLevel = GroupByLevel(run.items);
  } catch (const std::bad_alloc&) {
    return RunError(run, "Not enough memory");
  }

  bool first = true;
  for (auto& [level, entries] : byLevel) {
    if (!first) categoryPage << "<br>";
    first = false;
    categoryPage << "<a href=\"il" << level << ".htm\" target=\"nav\">Level " << level << "</a>";
    if (!WriteSortedListPage(run, "il" + NumToStr(level) + ".htm", "Item Level " + NumToStr(level), entries,
                             "i")) {
      return false;
    }
  }
  return true;
}

}  // namespace gvde
