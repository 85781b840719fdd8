#include "site/unique_pages.h"

#include <array>
#include <cstdint>
#include <map>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "effects/effect_descriptions.h"
#include "game/item_records.h"
#include "site/category_lists.h"
#include "site/num_to_str.h"

namespace gvde {

namespace {

// The base item index for each of the 256 unique IDs, built once per pass: the same first
// match in table order as FindBaseItem.
using BaseById = std::array<std::optional<std::uint32_t>, 256>;

BaseById IndexBaseItems(const std::vector<ItemRecord>& items) {
  BaseById baseById;
  for (std::size_t n = 0; n < items.size(); ++n) {
    std::optional<std::uint32_t>& base = baseById[items[n].uniqueId];
    if (!base) base = static_cast<std::uint32_t>(n);
  }
  return baseById;
}

// Effect texts need an image; a run without one (never the case in a real run) reads nothing.
const executable& ImageOf(const RunState& run) {
  static const executable kNoImage;
  return run.image ? *run.image : kNoImage;
}

void WriteHead(PageFile& page, std::uint32_t index, const UniqueRecord& unique) {
  page << kPageHead << "<h3>" << index << ": " << unique.name << ", <a href=\"ul" << unique.level
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
       << ".htm\" target=\"out\">" << base.name << "</a>, <a href=\"il" << base.level
       << ".htm\" target=\"nav\">Level " << base.level << "</a></p>";
}

void WriteEffects(PageFile& page, const UniqueRecord& unique, const EffectContext& context) {
  const std::uint32_t used = EffectsUsed(unique);
  for (std::uint32_t k = 0; k < used; ++k) {
    const EffectEntry& entry = unique.effects[k];
    if (entry.code == kUniquePictureEffect) continue;
    page << "<p>" << DescribeEffect(entry, context) << "</p>";
  }
}

bool WriteUniquePage(RunState& run, std::uint32_t index, const UniqueRecord& unique, const BaseById& baseById) {
  PageFile page;
  if (!page.Create(run.DataFile("u" + NumToStr(index) + ".htm"))) return RunError(run, "Cannot write to file");
  run.CountName(unique.name);

  WriteHead(page, index, unique);
  WriteBaseLine(page, unique, baseById[unique.uniqueId], run.items);
  const std::uint32_t sellingPrice = static_cast<std::uint32_t>(unique.price) >> 5;
  page << "<p>Price: " << unique.price << " (sold for " << sellingPrice << ")</p>";
  const EffectContext context{run.config.EffectNames, ImageOf(run), run.config.addresses.SpellTable};
  WriteEffects(page, unique, context);
  if (run.TechnicalInfo) {
    page << "<p><a href=\"ui" << unique.uniqueId << ".htm\" target=\"nav\">Unique ID: " << unique.uniqueId
         << "</a></p>\r\n";
  }
  page << "</body></html>";

  if (!page.Close()) return RunError(run, "Cannot write to file");
  return true;
}

// Only the values that occur, ascending; each group in table order before sorting.
using Groups = std::map<std::uint32_t, std::vector<NamedRecord>>;

// One family of lists: a link per value that occurs (ascending, "<br>" between links) and
// the value's sorted list file.
bool WriteGroupLists(RunState& run, PageFile& categoryPage, Groups& groups, const std::string& filePrefix,
                     const std::string& linkText, const std::string& listTitle) {
  bool first = true;
  for (auto& [value, entries] : groups) {
    if (!first) categoryPage << "<br>";
    first = false;
    categoryPage << "<a href=\"" << filePrefix << value << ".htm\" target=\"nav\">" << linkText << value
                 << "</a>";
    if (!WriteSortedListPage(run, filePrefix + NumToStr(value) + ".htm", listTitle + NumToStr(value), entries,
                             "u")) {
      return false;
    }
  }
  return true;
}

}  // namespace

bool WriteUniquePages(RunState& run) {
  const BaseById baseById = IndexBaseItems(run.items);
  for (std::size_t u = 0; u < run.uniques.size(); ++u) {
    if (!WriteUniquePage(run, static_cast<std::uint32_t>(u), run.uniques[u], baseById)) return false;
  }
  return true;
}

bool UniqueListCallback(RunState& run, PageFile& categoryPage) {
  Groups byLevel;
  Groups byId;
  try {
    for (std::size_t u = 0; u < run.uniques.size(); ++u) {
      const UniqueRecord& unique = run.uniques[u];
      const NamedRecord entry{unique.name, static_cast<std::uint32_t>(u)};
      byLevel[unique.level].push_back(entry);
      byId[unique.uniqueId].push_back(entry);
    }
  } catch (const std::bad_alloc&) {
    return RunError(run, "Not enough memory");
  }

  if (!WriteGroupLists(run, categoryPage, byLevel, "ul", "Level ", "Unique Level ")) return false;
  categoryPage << "<hr>";
  return WriteGroupLists(run, categoryPage, byId, "ui", "Unique ID ", "Unique ID ");
}

}  // namespace gvde
