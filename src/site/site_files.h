// The two fixed files of the site: the frame page index.htm and data/style.css.
#pragma once

#include "site/run.h"

namespace gvde {

// Writes OutputDir + "index.htm" with the game's title text; releases the image unless the run
// keeps its game data.
Step WriteIndexPage(Run& run);

// Writes data/style.css.
Step WriteStyleSheet(const SiteFolder& folder);

}  // namespace gvde
