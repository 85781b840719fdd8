// The two fixed files of the site: the frame page index.htm and data/style.css.
#pragma once

#include "site/run_state.h"

namespace gvde {

// Writes OutputDir + "index.htm" with the game's title text; releases the image.
// False after "Cannot write index.htm" was shown.
bool WriteIndexPage(RunState& run);

// Writes data/style.css. False after "Cannot write style.css" was shown.
bool WriteStyleSheet(RunState& run);

}  // namespace gvde
