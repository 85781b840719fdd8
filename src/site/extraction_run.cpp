#include "site/extraction_run.h"

#include <algorithm>
#include <memory>
#include <string>
#include <utility>

#include "game/executable.h"
#include "game/game_data.h"
#include "platform/file_error.h"
#include "platform/file_system.h"
#include "platform/threads.h"
#include "site/affix_pages.h"
#include "site/boss_pages.h"
#include "site/item_pages.h"
#include "site/item_picture_stage.h"
#include "site/monster_pages.h"
#include "site/record_pages.h"
#include "site/run.h"
#include "site/site_files.h"
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

// Why GV.exe did not load: the system's reason when it could not be read, else what is wrong
// with its contents.
std::string ExeFailureDetail(const std::string& path, std::uint8_t status) {
  switch (status) {
    case kExeCannotOpen: return DescribeFileError(path);
    case kExeTruncated: return path + ": empty, or ends inside its headers";
    case kExeNoPeSignature: return path + ": not a Windows program (no PE header)";
    case kExeBadLayout: return path + ": damaged headers or section table";
    case kExeNotI386Image: return path + ": not a 32-bit i386 program";
    case kExeNoMemory: return path + ": not enough memory to load it";
    default: return {};
  }
}

// The five table starts as file offsets; the spell table and the title are translated where
// they are read.
Step TranslateTableStarts(const executable& exe, const TableAddresses& a, TableStarts& starts) {
  auto item = exe.VAToPointer(a.itemTable);
  auto unique = exe.VAToPointer(a.uniqueTable);
  auto monster = exe.VAToPointer(a.monsterTable);
  auto boss = exe.VAToPointer(a.bossTable);
  auto affix = exe.VAToPointer(a.affixTable);
  if (!item || !unique || !monster || !boss || !affix) return Fail(kIncorrectAddresses);
  starts = {*item, *unique, *monster, *boss, *affix};
  return Step::Next();
}

// Loads GV.exe and prepares the game data; the data folder is made between the two.
Step LoadGame(Run& run) {
  const std::string exePath = run.gameDir + "GV.exe";
  ClearFileError();
  std::unique_ptr<executable> image = executable::Create(exePath);
  if (image->status != kExeOk) return Fail(kCannotOpenExe, ExeFailureDetail(exePath, image->status));
  if (Step made = CreateDataDirectory(run.folder); !made) return made;
  TableStarts starts;
  if (Step translated = TranslateTableStarts(*image, run.config.addresses, starts); !translated) return translated;
  run.game = PrepareGameData(std::move(image), starts);
  return Step::Next();
}

// The reason an archive file could not be opened, where the system gave one.
std::string ArchiveFailureDetail(const std::string& gameDir) {
  const std::string game = DescribeFileError(gameDir + "gvdata.mor");
  return game.empty() ? DescribeFileError(gameDir + "kelddat.mpq") : game;
}

Step OpenArchivesAndPalette(Run& run) {
  ClearFileError();
  if (!run.archives.OpenArchives(run.gameDir)) {
    return Step::Fail(std::string(kCannotOpenArchives), ArchiveFailureDetail(run.gameDir));
  }
  if (!run.archives.ReadFileExact(run.png.PngPalette(), kPaletteSize, "levels\\l1data\\l1.pal")) {
    return Fail(kBadPalette);
  }
  run.png.PreparePalette();
  return Step::Next();
}

// The stages in their order; the first that does not go on ends the run.
Step WriteSite(Run& run) {
  const SiteFolder& folder = run.folder;
  Step step = WriteCategory(folder, ItemCategory(run), run.host);
  if (step) step = WriteCategory(folder, UniqueCategory(run), run.host);
  if (step) step = OpenArchivesAndPalette(run);
  if (step) step = WriteCategory(folder, MonsterCategory(run), run.host);
  if (step) step = WriteCategory(folder, BossCategory(run), run.host);
  if (!step) return step;
  // The site needs the groups and the sprite frames only for the monster and boss pictures.
  run.monsterFrames.Clear();
  if (!run.keepGameData) run.game.animationGroups = {};
  step = WriteCategory(folder, AffixCategory(run, AffixKind::Prefix), run.host);
  if (step) step = WriteCategory(folder, AffixCategory(run, AffixKind::Suffix), run.host);
  if (step) {
    run.host.ShowProgress("Item pictures", 0, 0);
    step = WriteItemPictureStage(run);
  }
  if (!step) return step;
  run.archives.CloseArchives();
  step = WriteIndexPage(run);
  if (step) step = WriteStyleSheet(folder);
  return step;
}

}  // namespace

unsigned PictureJobs(const RunInputs& inputs) {
  const unsigned jobs = inputs.jobs != 0 ? inputs.jobs : HardwareThreads();
  return std::min(jobs, kMostPictureJobs);
}

bool StartExtraction(const RunInputs& inputs, const Configuration& configuration, Host& host,
                     const FinishingStep& finish) {
  Run run(configuration, host, inputs.maxOutputBytes, PictureJobs(inputs));
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
