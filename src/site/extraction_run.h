// The extraction run: loads GV.exe, prepares the tables, writes the whole site.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "game/game_data.h"
#include "site/host.h"
#include "site/page_file.h"
#include "site/run_config.h"
#include "site/step.h"

namespace gvde {

// What a run knows once every page and picture is written.
struct FinishedSite {
  const GameData& game;  // with the animation groups
  // The pictures written, relative to the output folder ("data/m0.png"), in the order written.
  const std::vector<std::string>& pictures;
  const SiteFolder& folder;
};

// Files a front end adds to the site (the explorer). They are written after the pictures, when
// index.htm and data/style.css are not yet, and index.htm's left column then ends with
// `indexLink` (HTML); when `write` fails the run ends with its message before index.htm, so that
// index.htm never links to a file that is missing.
struct SiteAddition {
  std::function<Step(const FinishedSite& site)> write;
  std::string indexLink;
};

// A step after the last file of the site and before "Done"; when it fails, the run ends with its
// message instead of "Done".
using FinishingStep = std::function<Step(const FinishedSite& site)>;

// Ends with host.ShowDone() or with exactly one error (or a Yes to an "... Exit?" question);
// memory that cannot be had anywhere in the run ends it with kNotEnoughMemory. Returns true
// when the run reached "Done".
bool StartExtraction(const RunInputs& inputs, const Configuration& configuration, Host& host,
                     const FinishingStep& finish = {}, const SiteAddition& addition = {});

}  // namespace gvde
