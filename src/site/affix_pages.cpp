#include "site/affix_pages.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "effects/effect_descriptions.h"
#include "game/affix_records.h"
#include "site/category_lists.h"
#include "platform/num_to_str.h"

namespace gvde {

namespace {

constexpr std::uint32_t kItemClassCount = 6;
constexpr std::uint32_t kGroupA = 1;
constexpr std::uint32_t kGroupB = 0x10;

std::string_view LetterOf(AffixKind kind) { return kind == AffixKind::Prefix ? "p" : "s"; }
std::string_view TitleOf(AffixKind kind) { return kind == AffixKind::Prefix ? "Prefixes" : "Suffixes"; }

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

Step WriteAffixLists(const SiteFolder& folder, const GameData& game, const Configuration& config, AffixKind kind,
                     PageFile& categoryPage) {
  const std::vector<AffixRecord>& affixes = game.Affixes(kind);
  ValueLists effects;
  ValueLists levels;
  ValueLists classes;
  for (std::uint32_t n = 0; n < affixes.size(); ++n) {
    const AffixRecord& affix = affixes[n];
    if (affix.effect.code < config.effectNames.size()) effects[affix.effect.code].push_back({affix.name, n});
    if (affix.level <= game.maxAffixLevel) levels[affix.level].push_back({affix.name, n});
    for (std::uint32_t i = 0; i < kItemClassCount; ++i) {
      if (HasItemClass(affix, i)) classes[i].push_back({affix.name, n});
    }
  }

  const std::string letter(LetterOf(kind));
  const std::string title(TitleOf(kind));
  const std::string effectFiles = letter + "e";
  const std::string levelFiles = letter + "l";
  const std::string classFiles = letter + "o";
  const auto effectName = [&config](std::uint32_t e) { return config.effectNames[e]; };
  const auto className = [](std::uint32_t i) { return std::string(AffixItemClassName(i)); };
  const ValueSection effectSection{effectFiles, letter, effectName,
                                   [&](std::uint32_t e) { return effectName(e) + " " + title; }};
  const ValueSection levelSection{levelFiles, letter, [](std::uint32_t level) { return "Level " + NumToStr(level); },
                                  [&](std::uint32_t level) { return title + " of level " + NumToStr(level); }};
  const ValueSection classSection{classFiles, letter, className,
                                  [&](std::uint32_t i) { return title + " for " + className(i); }};

  if (Step listed = WriteValueSection(folder, categoryPage, effectSection, effects); !listed) return listed;
  categoryPage << "<hr>";
  if (Step listed = WriteValueSection(folder, categoryPage, levelSection, levels); !listed) return listed;
  categoryPage << "<hr>";
  return WriteValueSection(folder, categoryPage, classSection, classes);
}

void WriteAffixPage(PageFile& page, const PageContext& context, AffixKind kind, std::uint32_t n) {
  const AffixRecord& affix = context.game.Affixes(kind)[n];
  const std::string_view letter = LetterOf(kind);
  const EffectContext effects{context.config.effectNames, context.game.Image(), context.config.addresses.spellTable};
  page << kPageHead << "<h3>" << n << ": " << GameText{affix.name} << ", <a href=\"" << letter << "l" << affix.level
       << ".htm\" target=\"nav\">Level " << affix.level << "</a></h3><p>"
       << DescribeEffect(affix.effect, effects) << "</p><p>May appear on ";
  WriteItemClasses(page, letter, affix);
  page << "</p><p>Price: " << affix.minPrice;
  if (affix.maxPrice != affix.minPrice) page << "-" << affix.maxPrice;
  page << "</p><p>Multiplier: " << affix.priceMultiplier << "</p>";
  if (affix.group == kGroupA) page << "<p>Group A</p>";
  if (affix.group == kGroupB) page << "<p>Group B</p>";
  if (affix.inShops == 0) page << "<p>Cursed (cannot appear in the shops)</p>";
  page << "</body></html>";
}

}  // namespace

Category AffixCategory(const Run& run, AffixKind kind) {
  return {LetterOf(kind), TitleOf(kind), NamesOf(run.game.Affixes(kind)),
          [context = run.Pages(), kind](PageFile& page, std::uint32_t n) { WriteAffixPage(page, context, kind, n); },
          {},
          [&run, kind](PageFile& categoryPage) {
            return WriteAffixLists(run.folder, run.game, run.config, kind, categoryPage);
          }};
}

}  // namespace gvde
