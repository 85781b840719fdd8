#include "site/extraction_run.h"

#include <string_view>
#include <vector>

#include "game/affix_records.h"
#include "game/executable.h"
#include "game/item_records.h"
#include "game/monster_records.h"
#include "platform/file_system.h"
#include "site/affix_pages.h"
#include "site/boss_pages.h"
#include "site/category_lists.h"
#include "site/item_pages.h"
#include "site/item_picture_stage.h"
#include "site/monster_pages.h"
#include "site/page_file.h"
#include "site/run_state.h"
#include "site/unique_pages.h"
#include "site/site_files.h"

namespace gvde {
namespace {

constexpr std::uint32_t kPaletteSize = 768;

struct TableStarts {
  std::uint32_t items = 0;
  std::uint32_t uniques = 0;
  std::uint32_t monsters = 0;
  std::uint32_t bosses = 0;
  std::uint32_t affixes = 0;
};

template <typename Record>
std::vector<std::string_view> NamesOf(const std::vector<Record>& records) {
  std::vector<std::string_view> names;
  names.reserve(records.size());
  for (const Record& record : records) names.emplace_back(record.name);
  return names;
}

bool CreateDataDirectory(RunState& run) {
  std::string dir = run.OutputDir + "data";
  if (IsDirectory(dir)) return true;
  if (MakeDirectory(dir)) return true;
  return RunError(run, "Cannot create directory for data");
}

bool TranslateTableStarts(RunState& run, TableStarts& starts) {
  const TableAddresses& a = run.config.addresses;
  const executable& exe = *run.image;
  auto item = exe.VAToPointer(a.ItemTable);
  auto unique = exe.VAToPointer(a.UniqueTable);
  auto monster = exe.VAToPointer(a.MonsterTable);
  auto boss = exe.VAToPointer(a.BossTable);
  auto affix = exe.VAToPointer(a.AffixTable);
  if (!item || !unique || !monster || !boss || !affix) return RunError(run, "Incorrect addresses");
  starts = {*item, *unique, *monster, *boss, *affix};
  return true;
}

void PrepareTables(RunState& run, const TableStarts& starts) {
  const executable& exe = *run.image;
  PreparedItems items = PrepareItemTable(exe, starts.items);
  run.items = std::move(items.records);
  run.MaxItemLevel = items.MaxItemLevel;

  PreparedUniques uniques = PrepareUniqueTable(exe, starts.uniques);
  run.uniques = std::move(uniques.records);
  run.MaxUniqueLevel = uniques.MaxUniqueLevel;
  run.MaxUniqueId = uniques.MaxUniqueId;

  PreparedMonsters monsters = PrepareMonsterTables(exe, starts.monsters, starts.bosses);
  run.monsters = std::move(monsters.monsters);
  run.bosses = std::move(monsters.bosses);
  run.MonsterCount = monsters.MonsterCount;
  run.MaxDungeonLevel = monsters.MaxDungeonLevel;
  run.MaxMonsterLevel = monsters.MaxMonsterLevel;
  run.AnimationGroupCount = monsters.AnimationGroupCount;
  run.AnimationGroups = std::move(monsters.AnimationGroups);

  PreparedAffixes affixes = PrepareAffixTable(exe, starts.affixes);
  run.prefixes = std::move(affixes.prefixes);
  run.suffixes = std::move(affixes.suffixes);
  run.MaxAffixLevel = affixes.MaxAffixLevel;
}

bool WriteItemCategory(RunState& run) {
  run.FirstCharCount.fill(0);
  if (!WriteItemPages(run)) return false;
  return WriteCategoryLists(run, "i", "Items", NamesOf(run.items),
                            [&run](PageFile& page) { return ItemListCallback(run, page); });
}

bool WriteUniqueCategory(RunState& run) {
  run.FirstCharCount.fill(0);
  if (!WriteUniquePages(run)) return false;
  return WriteCategoryLists(run, "u", "Uniques", NamesOf(run.uniques),
                            [&run](PageFile& page) { return UniqueListCallback(run, page); });
}

bool OpenArchivesAndPalette(RunState& run) {
  if (!run.archives.OpenArchives(run.gameDir)) return RunError(run, "Cannot open either GVdata.mor or KELDDAT.MPQ");
  if (!run.archives.ReadFileExact(run.png.PngPalette(), kPaletteSize, "levels\\l1data\\l1.pal"))
    return RunError(run, "Dungeon palette is missing or invalid");
  run.png.PreparePalette();
  return true;
}

bool WriteMonsterCategory(RunState& run) {
  run.FirstCharCount.fill(0);
  if (!WriteMonsterPages(run)) return false;
  return WriteCategoryLists(run, "m", "Monsters", NamesOf(run.monsters),
                            [&run](PageFile& page) { return WriteMonsterLists(run, page); });
}

bool WriteBossCategory(RunState& run) {
  run.FirstCharCount.fill(0);
  if (!WriteBossPages(run)) return false;
  // The groups are needed only for the boss pictures.
  run.AnimationGroups.clear();
  run.AnimationGroups.shrink_to_fit();
  return WriteCategoryLists(run, "b", "Bosses", NamesOf(run.bosses),
                            [&run](PageFile& page) { return WriteBossLists(run, page); });
}

bool WriteAffixCategories(RunState& run) {
  static constexpr std::string_view kLetters[2] = {"p", "s"};
  static constexpr std::string_view kTitles[2] = {"Prefixes", "Suffixes"};
  for (std::uint8_t pass = 0; pass < 2; ++pass) {
    run.AffixPass = pass;
    run.FirstCharCount.fill(0);
    if (!WriteAffixPages(run)) return false;
    const std::vector<AffixRecord>& records = pass == 0 ? run.prefixes : run.suffixes;
    if (!WriteCategoryLists(run, kLetters[pass], kTitles[pass], NamesOf(records),
                            [&run](PageFile& page) { return WriteAffixLists(run, page); }))
      return false;
  }
  return true;
}

}  // namespace

bool StartExtraction(const RunInputs& inputs, const Configuration& configuration, Host& host) {
  RunState run(configuration, host);
  if (inputs.gameDir.empty()) {
    host.ShowError("Input Grimveil path");
    return false;
  }
  if (inputs.OutputDir.empty()) {
    host.ShowError("Input path for result");
    return false;
  }
  run.gameDir = inputs.gameDir;
  run.OutputDir = inputs.OutputDir;

  run.image = executable::Create(run.gameDir + "GV.exe");
  if (run.image->status != kExeOk) {
    run.image.reset();
    host.ShowError("Cannot open GV.exe file");
    return false;
  }
  if (!CreateDataDirectory(run)) return false;
  run.TechnicalInfo = inputs.TechnicalInfo;

  TableStarts starts;
  if (!TranslateTableStarts(run, starts)) return false;
  PrepareTables(run, starts);

  if (!WriteItemCategory(run)) return false;
  if (!WriteUniqueCategory(run)) return false;
  if (!OpenArchivesAndPalette(run)) return false;
  if (!WriteMonsterCategory(run)) return false;
  if (!WriteBossCategory(run)) return false;
  if (!WriteAffixCategories(run)) return false;
  if (!WriteItemPictureStage(run)) return false;
  run.archives.CloseArchives();

  if (!WriteIndexPage(run)) return false;
  if (!WriteStyleSheet(run)) return false;
  host.ShowDone();
  return true;
}

}  // namespace gvde
