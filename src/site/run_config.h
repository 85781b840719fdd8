// What a run needs from start-up and from the window: configuration and the run's inputs.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <string>

#include "archive/archive_calls.h"
#include "game/game_data.h"

namespace gvde {

constexpr std::size_t kEffectCount = 94;
constexpr std::size_t kAiTypeCount = 40;

struct Configuration {
  std::array<std::string, kEffectCount> effectNames;
  std::array<std::string, kAiTypeCount> aiTypeNames;
  TableAddresses addresses;
};

// The most a run writes in all, pages and pictures; a real site is about 2 MB.
constexpr std::uint64_t kMaxOutputBytes = std::uint64_t{1} << 30;

struct RunInputs {
  std::string gameDir;    // used as a path prefix exactly as given
  std::string outputDir;  // likewise
  bool technicalInfo = false;
  std::uint64_t maxOutputBytes = kMaxOutputBytes;
  unsigned jobs = 0;  // threads that make and write the data folder's files; 0: one per processor
  // A missing output folder is made with its parents once GV.exe has loaded (the command
  // line); otherwise it must be there and only its data folder is made (the window).
  bool makeOutputDir = false;
  // How long one wait for the archive reader's worker may last before it counts as hung.
  std::chrono::milliseconds workerWaitLimit = kWorkerWaitLimit;
};

}  // namespace gvde
