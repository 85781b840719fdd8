#include "site/affix_pages.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "effects/effect_descriptions.h"
#include "game/affix_records.h"
#include "game/record_texts.h"
#include "site/category_lists.h"
#include "platform/num_to_str.h"

namespace gvde {

namespace {

std::string_view LetterOf(AffixKind kind) { return kind == AffixKind::Prefix ? "p" : "s"; }
std::string_view TitleOf(AffixKind kind) { return kind == AffixKind::Prefix ? "Prefixes" : "Suffixes"; }

void WriteItemClasses(PageFile& page, std::string_view letter, const AffixRecord& affix) {
  const std::vector<std::uint32_t> classes = AffixItemClasses(affix);
  for (std::size_t k = 0; k < classes.size(); ++k) {
    const std::uint32_t i = classes[k];
    if (k != 0) page << ", ";
    page << "<a href=\"" << letter << "o" << i << ".htm\" target=\"nav\">" << AffixItemClassName(i) << "</a>";
  }
  if (classes.empty()) page << "nothing";
}

void WriteAffixLists(const GameData& game, const Configuration& config, AffixKind kind, PageFile& categoryPage,
                     ListPages& pages) {
  const std::vector<AffixRecord>& affixes = game.Affixes(kind);
  ValueLists effects;
  ValueLists levels;
  ValueLists classes;
  for (std::uint32_t n = 0; n < affixes.size(); ++n) {
    const AffixRecord& affix = affixes[n];
    if (affix.effect.code < config.effectNames.size()) effects[affix.effect.code].push_back({affix.name, n});
    if (affix.level <= game.maxAffixLevel) levels[affix.level].push_back({affix.name, n});
    for (const std::uint32_t i : AffixItemClasses(affix)) classes[i].push_back({affix.name, n});
  }

  const std::string letter(LetterOf(kind));
  const std::string title(TitleOf(kind));
  const std::string effectFiles = letter + "e";
  const std::string levelFiles = letter + "l";
  const std::string classFiles = letter + "o";
  const auto effectName = [&config](std::uint32_t e) { return EscapeHtml(config.effectNames[e]); };
  const auto className = [](std::uint32_t i) { return std::string(AffixItemClassName(i)); };
  const ValueSection effectSection{effectFiles, letter, effectName,
                                   [&](std::uint32_t e) { return effectName(e) + " " + title; }};
  const ValueSection levelSection{levelFiles, letter, [](std::uint32_t level) { return "Level " + NumToStr(level); },
                                  [&](std::uint32_t level) { return title + " of level " + NumToStr(level); }};
  const ValueSection classSection{classFiles, letter, className,
                                  [&](std::uint32_t i) { return title + " for " + className(i); }};

  WriteValueSection(categoryPage, effectSection, effects, pages);
  categoryPage << "<hr>";
  WriteValueSection(categoryPage, levelSection, levels, pages);
  categoryPage << "<hr>";
  WriteValueSection(categoryPage, classSection, classes, pages);
}

void WriteAffixPage(PageFile& page, const PageContext& context, AffixKind kind, std::uint32_t n) {
  const AffixRecord& affix = context.game.Affixes(kind)[n];
  const std::string_view letter = LetterOf(kind);
  const EffectContext effects{context.config.effectNames, context.game};
  page << kPageHead << "<h3>" << n << ": " << GameText{affix.name} << ", <a href=\"" << letter << "l" << affix.level
       << ".htm\" target=\"nav\">Level " << affix.level << "</a></h3><p>"
       << GameText{DescribeEffect(affix.effect, effects)} << "</p><p>May appear on ";
  WriteItemClasses(page, letter, affix);
  page << "</p><p>Price: " << affix.minPrice;
  if (affix.maxPrice != affix.minPrice) page << "-" << affix.maxPrice;
  page << "</p><p>Multiplier: " << affix.priceMultiplier << "</p>";
  const std::string_view group = AffixGroupName(affix.group);
  if (!group.empty()) page << "<p>" << group << "</p>";
  if (affix.inShops == 0) page << "<p>Cursed (cannot appear in the shops)</p>";
  page << "</body></html>";
}

}  // namespace

Category AffixCategory(const Run& run, AffixKind kind) {
  return {LetterOf(kind), TitleOf(kind), NamesOf(run.game.Affixes(kind)),
          [context = run.Pages(), kind](PageFile& page, std::uint32_t n) { WriteAffixPage(page, context, kind, n); },
          [&run, kind](PageFile& categoryPage, ListPages& pages) {
            WriteAffixLists(run.game, run.config, kind, categoryPage, pages);
          }};
}

}  // namespace gvde
