// The extraction run: loads GV.exe, prepares the tables, writes the whole site.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "game/game_data.h"
#include "site/host.h"
#include "site/run_config.h"
#include "site/step.h"

namespace gvde {

// What a run knows once the whole site is written.
struct FinishedSite {
  const GameData& game;  // with the animation groups
  // The pictures written, relative to the output folder ("data/m0.png"), in the order written.
  const std::vector<std::string>& pictures;
};

// A step after the last file of the site and before "Done"; when it fails, the run ends with its
// message instead of "Done".
using FinishingStep = std::function<Step(const FinishedSite& site)>;

// Ends with host.ShowDone() or with exactly one error (or a Yes to an "... Exit?" question);
// memory that cannot be had anywhere in the run ends it with kNotEnoughMemory. Returns true
// when the run reached "Done".
bool StartExtraction(const RunInputs& inputs, const Configuration& configuration, Host& host,
                     const FinishingStep& finish = {});

}  // namespace gvde
