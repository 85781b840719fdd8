// What one extraction run uses: its configuration and inputs, the person at the screen, the
// output folder, the archives, the picture writer, the game data it read and the pipeline that
// writes the data folder.
// Created per run; everything is released when the run ends, on any path.
#pragma once

#include <string>
#include <vector>

#include "archive/game_archives.h"
#include "game/game_data.h"
#include "image/png_writer.h"
#include "image/sprites.h"
#include "platform/folder_lock.h"
#include "platform/output_limit.h"
#include "site/archive_files.h"
#include "site/host.h"
#include "site/page_file.h"
#include "site/run_config.h"
#include "site/step.h"
#include "site/write_pipeline.h"

namespace gvde {

// What a record page reads.
struct PageContext {
  const GameData& game;
  const Configuration& config;
  bool technicalInfo = false;
};

struct Run {
  // `jobs`: how many threads make and write the data folder's files (1: this thread alone).
  Run(const Configuration& configuration, Host& screen, std::uint64_t maxOutputBytes = kMaxOutputBytes,
      unsigned jobs = 1, std::chrono::milliseconds workerWaitLimit = kWorkerWaitLimit)
      : config(configuration),
        host(screen),
        outputLimit(maxOutputBytes),
        archives(workerWaitLimit),
        files(folder, jobs) {}

  const Configuration& config;
  Host& host;
  // Everything the run writes counts against this limit.
  OutputLimit outputLimit;
  // Held from the start of the run to its end, so that no other run writes into the folder.
  FolderLock folderLock;
  std::string gameDir;
  SiteFolder folder;
  bool technicalInfo = false;
  GameArchives archives;
  ArchiveFiles archiveFiles{archives};
  // The sprite frames and colour tables of the monster and boss pictures.
  MonsterFrameReader monsterFrames{archiveFiles};
  PngWriter png;
  GameData game;
  // The pictures written so far, relative to the output folder ("data/m0.png"), in the order
  // written.
  std::vector<std::string> writtenPictures;
  // Set when a step after the site reads the game data: the animation groups are then kept to
  // the end of the run instead of being released early.
  bool keepGameData = false;
  // The pages, lists and pictures of the data folder. Declared after everything its jobs read
  // (the game data, the folder, the palette), so that it ends first.
  WritePipeline files;

  PageContext Pages() const { return {game, config, technicalInfo}; }
  // Releases what the run holds: the animation groups and the archives.
  void Release();
  // Monster and boss pictures that could not be made or written, for the run's summary.
  std::uint32_t picturesNotMade = 0;

  // After a picture that could not be written: the output limit ends the run, otherwise the
  // person at the screen is asked the "... Exit?" question (with `detail`, where known) and Yes
  // stops the run.
  Step PictureFailed(const std::string& question, const std::string& detail);
};

// The run's failure report: releases what the run holds, then shows the message.
void RunError(Run& run, const std::string& message, const std::string& detail);

}  // namespace gvde
