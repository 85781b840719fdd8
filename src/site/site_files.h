// The two fixed files of the site: the frame page index.htm and data/style.css.
#pragma once

#include <string_view>

#include "site/run.h"

namespace gvde {

// Writes OutputDir + "index.htm" with the game's title text and, after the six category links,
// `extraLinks` (HTML; empty for the site as it always was); releases the image unless the run
// keeps its game data.
Step WriteIndexPage(Run& run, std::string_view extraLinks = {});

// Writes data/style.css.
Step WriteStyleSheet(const SiteFolder& folder);

}  // namespace gvde
