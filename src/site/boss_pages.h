// Boss pages and pictures data/b<b>.htm/.png and the dungeon-level lists bd<L>.
#pragma once

#include "site/page_file.h"
#include "site/run_state.h"

namespace gvde {

// Writes every page of the category (and pictures where it has them). False when the run
// must end: an error was reported through RunError, or the user answered Yes to "... Exit?".
bool WriteBossPages(RunState& run);

// The category's CategoryListHook: its own links into the open category page and its lists.
bool WriteBossLists(RunState& run, PageFile& categoryPage);

}  // namespace gvde
