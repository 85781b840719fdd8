#include "site/extraction_run.h"

#include <algorithm>
#include <memory>
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

constexpr std::uint32_t kPaletteSize = 768;

Step Fail(std::string_view message, std::string detail = {}) {
  return Step::Fail(std::string(message), std::move(detail));
}

Step CheckInputs(const RunInputs& inputs) {
  if (inputs.gameDir.empty()) return Fail(kInputGamePath);
  if (inputs.outputDir.empty()) return Fail(kInputOutputPath);
  return Step::Next();
}

// A second run into a folder that a run is writing would mix two sites: it ends at once.
// A folder that cannot be locked is left to the later steps, which report it if it matters.
Step LockOutputFolder(Run& run, const std::string& outputDir) {
  if (run.folderLock.Lock(outputDir) == FolderLock::Outcome::InUse) return Fail(kOutputFolderInUse);
  return Step::Next();
}

Step CreateDataDirectory(const SiteFolder& folder) {
  const std::string dir = folder.OutputDir() + "data";
  if (IsDirectory(dir) || MakeDirectory(dir)) return Step::Next();
  return Fail(kCannotCreateDataDir, DescribeFileError(dir));
}

// Loads GV.exe and prepares the game data; the data folder is made between the two.
Step LoadGame(Run& run) {
  const std::string exePath = run.gameDir + "GV.exe";
  ClearFileError();
  std::unique_ptr<executable> image = executable::Create(exePath);
  if (image->status != kExeOk) return Fail(kCannotOpenExe, DescribeExeStatus(exePath, image->status));
  if (Step made = CreateDataDirectory(run.folder); !made) return made;
  const std::optional<TableStarts> starts = TranslateTableStarts(*image, run.config.addresses);
  if (!starts) return Fail(kIncorrectAddresses);
  run.game = PrepareGameData(std::move(image), *starts);
  for (const std::string& warning : TableWarnings(run.game, run.config.addresses)) run.host.ShowWarning(warning);
  return Step::Next();
}

Step OpenArchivesAndPalette(Run& run) {
  ClearFileError();
  if (!run.archives.OpenArchives(run.gameDir)) {
    return Step::Fail(std::string(kCannotOpenArchives), GameArchives::OpenFailureDetail(run.gameDir));
  }
  if (!run.archives.ReadFileExact(run.png.PngPalette(), kPaletteSize, "levels\\l1data\\l1.pal")) {
    return Fail(kBadPalette);
  }
  run.png.PreparePalette();
  return Step::Next();
}

// The stages in their order; the first that does not go on ends the run.
Step WriteSite(Run& run) {
  Step step = WriteCategory(run, ItemCategory(run));
  if (step) step = WriteCategory(run, UniqueCategory(run));
  if (step) step = OpenArchivesAndPalette(run);
  if (step) step = WriteCategory(run, MonsterCategory(run));
  if (step) step = WriteCategory(run, BossCategory(run));
  if (!step) return step;
  // The site needs the groups and the sprite frames only for the monster and boss pictures.
  run.monsterFrames.Clear();
  if (!run.keepGameData) run.game.animationGroups = {};
  step = WriteCategory(run, AffixCategory(run, AffixKind::Prefix));
  if (step) step = WriteCategory(run, AffixCategory(run, AffixKind::Suffix));
  if (step) {
    run.host.ShowProgress("Item pictures", 0, 0);
    step = WriteItemPictureStage(run);
  }
  if (!step) return step;
  run.archives.CloseArchives();
  step = WriteIndexPage(run);
  if (step) step = WriteStyleSheet(run.folder);
  return step;
}

}  // namespace

bool StartExtraction(const RunInputs& inputs, const Configuration& configuration, Host& host,
                     const FinishingStep& finish) {
  Run run(configuration, host, inputs.maxOutputBytes, PictureEncoder::JobsFor(inputs.jobs));
  Step step = CheckInputs(inputs);
  if (step) step = LockOutputFolder(run, inputs.outputDir);
  if (step) {
    run.gameDir = inputs.gameDir;
    run.folder = SiteFolder(inputs.outputDir);
    run.technicalInfo = inputs.technicalInfo;
    run.keepGameData = static_cast<bool>(finish);
    step = LoadGame(run);
  }
  if (step) step = WriteSite(run);
  if (step && finish) step = finish(FinishedSite{run.game, run.writtenPictures});
  if (step) {
    host.ShowDone();
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

}  // namespace gvde
