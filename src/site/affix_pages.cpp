#include "site/affix_pages.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "effects/effect_descriptions.h"
#include "game/affix_records.h"
#include "site/category_lists.h"
#include "site/num_to_str.h"

namespace gvde {

namespace {

constexpr std::uint32_t kItemClassCount = 6;
constexpr std::uint32_t kGroupA = 1;
constexpr std::uint32_t kGroupB = 0x10;

struct AffixKind {
  std::string_view letter;
  std::string_view title;
  const std::vector<AffixRecord>& records;
};

AffixKind KindOfPass(const RunState& run) {
  if (run.AffixPass == 0) return {"p", "Prefixes", run.prefixes};
  return {"s", "Suffixes", run.suffixes};
}

bool HasItemClass(const AffixRecord& affix, std::uint32_t i) {
  return ((affix.itemClasses >> (4 * i)) & 1u) != 0;
}

void WriteItemClasses(PageFile& page, std::string_view letter, const AffixRecord& affix) {
  bool first = true;
  for (std::uint32_t i = 0; i < kItemClassCount; ++i) {
    if (!HasItemClass(affix, i)) continue;
    if (!first) page << ", ";
    first = false;
    page << "<a href=\"" << letter << "o" << i << ".htm\" target=\"nav\">" << AffixItemClassName(i) << "</a>";
  }
  if (first) page << "nothing";
}

void WriteAffixPage(const RunState& run, PageFile& page, std::string_view letter, std::uint32_t n,
                    const AffixRecord& affix) {
  // The run always holds the image; an empty one only stands in so that no null is followed.
  static const executable kNoImage;
  const EffectContext context{run.config.EffectNames, run.image ? *run.image : kNoImage,
                              run.config.addresses.SpellTable};
  page << kPageHead << "<h3>" << n << ": " << affix.name << ", <a href=\"" << letter << "l" << affix.level
       << ".htm\" target=\"nav\">Level " << affix.level << "</a></h3><p>"
       << DescribeEffect(affix.effect, context) << "</p><p>May appear on ";
  WriteItemClasses(page, letter, affix);
  page << "</p><p>Price: " << affix.minPrice;
  if (affix.maxPrice != affix.minPrice) page << "-" << affix.maxPrice;
  page << "</p><p>Multiplier: " << affix.priceMultiplier << "</p>";
  if (affix.group == kGroupA) page << "<p>Group A</p>";
  if (affix.group == kGroupB) page << "<p>Group B</p>";
  if (affix.inShops == 0) page << "<p>Cursed (cannot appear in the shops)</p>";
  page << "</body></html>";
}

using ValueLists = std::map<std::uint32_t, std::vector<NamedRecord>>;

// One section of the category page: a link and a list page per value that occurs.
template <typename LinkText, typename Title>
bool WriteSection(RunState& run, PageFile& categoryPage, std::string_view letter, std::string_view fileLetter,
                  ValueLists& lists, LinkText linkText, Title title) {
  bool first = true;
  for (auto& [value, entries] : lists) {
    if (!first) categoryPage << "<br>";
    first = false;
    categoryPage << "<a href=\"" << letter << fileLetter << value << ".htm\" target=\"nav\">"
                 << linkText(value) << "</a>";
    const std::string fileName = std::string(letter) + std::string(fileLetter) + NumToStr(value) + ".htm";
    if (!WriteSortedListPage(run, fileName, title(value), entries, letter)) return false;
  }
  return true;
}

}  // namespace

bool WriteAffixPages(RunState& run) {
  const AffixKind kind = KindOfPass(run);
  for (std::uint32_t n = 0; n < kind.records.size(); ++n) {
    const AffixRecord& affix = kind.records[n];
    PageFile page;
    if (!page.Create(run.DataFile(std::string(kind.letter) + NumToStr(n) + ".htm"))) {
      return RunError(run, "Cannot write to file");
    }
    run.CountName(affix.name);
    WriteAffixPage(run, page, kind.letter, n, affix);
    if (!page.Close()) return RunError(run, "Cannot write to file");
  }
  return true;
}

bool WriteAffixLists(RunState& run, PageFile& categoryPage) {
  const AffixKind kind = KindOfPass(run);
  const std::string kindTitle(kind.title);
  ValueLists effects;
  ValueLists levels;
  ValueLists classes;
  for (std::uint32_t n = 0; n < kind.records.size(); ++n) {
    const AffixRecord& affix = kind.records[n];
    if (affix.effect.code < run.config.EffectNames.size()) {
      effects[affix.effect.code].push_back({affix.name, n});
    }
    if (affix.level <= run.MaxAffixLevel) levels[affix.level].push_back({affix.name, n});
    for (std::uint32_t i = 0; i < kItemClassCount; ++i) {
      if (HasItemClass(affix, i)) classes[i].push_back({affix.name, n});
    }
  }

  const auto effectName = [&run](std::uint32_t e) { return run.config.EffectNames[e]; };
  if (!WriteSection(run, categoryPage, kind.letter, "e", effects, effectName,
                    [&](std::uint32_t e) { return effectName(e) + " " + kindTitle; })) {
    return false;
  }
  categoryPage << "<hr>";
  if (!WriteSection(
          run, categoryPage, kind.letter, "l", levels,
          [](std::uint32_t level) { return "Level " + NumToStr(level); },
          [&](std::uint32_t level) { return kindTitle + " of level " + NumToStr(level); })) {
    return false;
  }
  categoryPage << "<hr>";
  return WriteSection(
      run, categoryPage, kind.letter, "o", classes, [](std::uint32_t i) { return AffixItemClassName(i); },
      [&](std::uint32_t i) { return kindTitle + " for " + std::string(AffixItemClassName(i)); });
}

}  // namespace gvde
