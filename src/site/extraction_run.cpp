#include "site/extraction_run.h"

#include <algorithm>
#include <array>
#include <memory>
#include <new>
#include <string>
#include <utility>

#include "game/executable.h"
#include "game/game_data.h"
#include "platform/file_error.h"
#include "platform/file_system.h"
#include "site/affix_pages.h"
#include "site/boss_pages.h"
#include "site/item_pages.h"
#include "site/item_picture_stage.h"
#include "site/monster_pages.h"
#include "site/record_pages.h"
#include "site/run.h"
#include "site/site_files.h"
#include "site/table_warnings.h"
#include "site/unique_pages.h"

namespace gvde {
namespace {

Step Fail(std::string_view message, std::string detail = {}) {
  return Step::Fail(std::string(message), std::move(detail));
}

Step CheckInputs(const RunInputs& inputs) {
  if (inputs.gameDir.empty()) return Fail(kInputGamePath);
  if (inputs.outputDir.empty()) return Fail(kInputOutputPath);
  return Step::Next();
}

// A second run into a folder that a run is writing would mix two sites: it ends at once.
// A folder that cannot be locked (not there yet) is left to the later steps, which lock it
// once it is made, or report it if it matters.
Step LockOutputFolder(Run& run) {
  if (run.folderLock.Held()) return Step::Next();
  if (run.folderLock.Lock(run.folder.OutputDir()) == FolderLock::Outcome::InUse) return Fail(kOutputFolderInUse);
  return Step::Next();
}

// The output folder and its data folder, made once GV.exe has loaded, so that a run that
// cannot start leaves no folder behind.
Step MakeSiteFolders(Run& run, bool makeOutputDir) {
  if (makeOutputDir) {
    if (Step made = run.folder.MakeOutputFolder(); !made) return made;
    if (Step locked = LockOutputFolder(run); !locked) return locked;
  }
  return run.folder.OpenDataFolder();
}

// Loads GV.exe and prepares the game data; the site's folders are made between the two. The
// executable is released once its tables are decoded.
Step LoadGame(Run& run, bool makeOutputDir) {
  const std::string exePath = run.gameDir + "GV.exe";
  ClearFileError();
  std::unique_ptr<executable> image = executable::Create(exePath);
  if (image->status == kExeNoMemory) return Fail(kNotEnoughMemory, DescribeExeStatus(exePath, image->status));
  if (image->status != kExeOk) return Fail(kCannotOpenExe, DescribeExeStatus(exePath, image->status));
  if (Step made = MakeSiteFolders(run, makeOutputDir); !made) return made;
  const std::optional<TableStarts> starts = TranslateTableStarts(*image, run.config.addresses);
  if (!starts) {
    return Fail(kIncorrectAddresses,
                UntranslatedAddresses(UntranslatedTableStarts(*image, run.config.addresses), exePath));
  }
  run.game = PrepareGameData(*image, run.config.addresses, *starts);
  for (const std::string& warning : TableWarnings(run.game, run.config.addresses)) run.host.ShowWarning(warning);
  return Step::Next();
}

Step OpenArchivesAndPalette(Run& run) {
  ClearFileError();
  if (!run.archives.OpenArchives(run.gameDir)) {
    return Fail(kCannotOpenArchives, run.archives.OpenFailureDetail());
  }
  std::array<std::uint8_t, kPaletteBytes> palette{};
  if (!run.archives.ReadFileExact(palette.data(), kPaletteBytes, "levels\\l1data\\l1.pal")) {
    return Fail(kBadPalette, run.archives.TakeReaderFailure());
  }
  run.png.SetPalette(palette);
  return Step::Next();
}

// The stages in their order; the first that does not go on ends the run. The files of one
// stage are written while the next is made: only a step that ends the run outside the write
// pipeline waits for them (SettledFirst), and the item pictures settle everything at their end.
Step WriteSite(Run& run, const SiteAddition& addition) {
  // Declared before the pipeline's stage, so that their pages are settled or dropped first.
  const Category items = ItemCategory(run);
  const Category uniques = UniqueCategory(run);
  const Category monsters = MonsterCategory(run);
  const Category bosses = BossCategory(run);
  const Category prefixes = AffixCategory(run, AffixKind::Prefix);
  const Category suffixes = AffixCategory(run, AffixKind::Suffix);
  const PipelineStage stage(run.files);
  Step step = WriteCategory(run, items);
  if (step) step = WriteCategory(run, uniques);
  if (step) step = SettledFirst(run.files, OpenArchivesAndPalette(run));
  if (step) step = WriteCategory(run, monsters);
  if (step) step = WriteCategory(run, bosses);
  if (!step) return step;
  // The sprite frames serve only the monster and boss pictures; those made ahead hold their own.
  run.monsterFrames.Clear();
  step = WriteCategory(run, prefixes);
  if (step) step = WriteCategory(run, suffixes);
  if (step) {
    step = run.files.AddTurn([&run] {
      run.host.ShowProgress("Item pictures", 0, 0);
      return Step::Next();
    });
  }
  if (step) step = WriteItemPictureStage(run);
  if (!step) return step;
  // The site needs the groups only for the monster and boss pages and pictures.
  if (!run.keepGameData) run.game.animationGroups = {};
  run.archives.CloseArchives();
  if (addition.write) step = addition.write(FinishedSite{run.game, run.writtenPictures, run.folder});
  if (step) step = WriteIndexPage(run, addition.indexLink);
  if (step) step = WriteStyleSheet(run.folder);
  return step;
}

bool RunExtraction(const RunInputs& inputs, const Configuration& configuration, Host& host,
                   const FinishingStep& finish, const SiteAddition& addition) {
  Run run(configuration, host, inputs.maxOutputBytes, WritePipeline::JobsFor(inputs.jobs),
          inputs.workerWaitLimit);
  Step step = CheckInputs(inputs);
  if (step) {
    run.gameDir = inputs.gameDir;
    run.folder = SiteFolder(inputs.outputDir);
    run.technicalInfo = inputs.technicalInfo;
    run.keepGameData = static_cast<bool>(finish) || static_cast<bool>(addition.write);
    step = LockOutputFolder(run);
  }
  if (step) step = LoadGame(run, inputs.makeOutputDir);
  if (step) step = WriteSite(run, addition);
  // The site alone: what a finishing step writes lies outside it.
  const OutputLimit::Tally site = run.outputLimit.Written();
  if (step && finish) step = finish(FinishedSite{run.game, run.writtenPictures, run.folder});
  if (step) {
    host.ShowDone();
    host.ShowSummary({site.files, site.bytes, inputs.outputDir, run.picturesNotMade});
    return true;
  }
  // A write refused by the limit fails whatever file it was in; the limit is the reason.
  if (run.outputLimit.Reached()) step = Fail(kOutputTooLarge);
  if (step.Failed()) {
    RunError(run, step.Message(), step.Detail());
  } else {
    run.Release();
  }
  return false;
}

}  // namespace

bool StartExtraction(const RunInputs& inputs, const Configuration& configuration, Host& host,
                     const FinishingStep& finish, const SiteAddition& addition) {
  // Memory that cannot be had, on this thread or a picture thread, ends the run here, after
  // everything the run held has been released.
  try {
    return RunExtraction(inputs, configuration, host, finish, addition);
  } catch (const std::bad_alloc&) {
    host.ShowError(std::string(kNotEnoughMemory), {});
    return false;
  }
}

}  // namespace gvde
