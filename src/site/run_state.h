// Everything one extraction run holds: created per run, passed to every page writer,
// released when the run ends on any path.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "archive/game_archives.h"
#include "game/affix_records.h"
#include "game/executable.h"
#include "game/item_records.h"
#include "game/monster_records.h"
#include "image/png_writer.h"
#include "site/host.h"
#include "site/run_config.h"

namespace gvde {

struct RunState {
  RunState(const Configuration& configuration, Host& screen) : config(configuration), host(screen) {}

  const Configuration& config;
  Host& host;

  std::string gameDir;
  std::string OutputDir;
  bool TechnicalInfo = false;

  std::unique_ptr<executable> image;
  GameArchives archives;
  PngWriter png;

  // Slot 0: pages written in the current category; slot c: names beginning with byte c.
  std::array<std::uint32_t, 256> FirstCharCount{};

  std::vector<ItemRecord> items;
  std::vector<UniqueRecord> uniques;
  std::vector<MonsterRecord> monsters;
  std::vector<BossRecord> bosses;
  std::vector<AffixRecord> prefixes;
  std::vector<AffixRecord> suffixes;

  std::uint32_t MaxItemLevel = 0;
  std::uint32_t MaxUniqueLevel = 0;
  std::uint32_t MaxUniqueId = 0;
  std::uint32_t MonsterCount = 0;
  std::uint32_t MaxDungeonLevel = 0;
  std::uint32_t MaxMonsterLevel = 0;
  std::uint32_t AnimationGroupCount = 0;
  std::vector<animfiledescr> AnimationGroups;
  std::uint32_t MaxAffixLevel = 0;
  std::uint8_t AffixPass = 0;

  // Counts a record page of the current category under slot 0 and its name's first byte.
  // An empty name is counted once, as a page only.
  void CountName(const std::string& name) {
    ++FirstCharCount[0];
    if (!name.empty()) ++FirstCharCount[static_cast<std::uint8_t>(name[0])];
  }

  // OutputDir + "data" + separator + fileName.
  std::string DataFile(const std::string& fileName) const;
};

// The run's failure report: releases AnimationGroups, the image and the archives, then
// shows the message. Always returns false, so writers can `return RunError(...)`.
bool RunError(RunState& run, const std::string& message);

// Releases the image and the archives after a Yes to an "... Exit?" question.
void ReleaseAfterExit(RunState& run);

}  // namespace gvde
