// Item pages data/i<N>.htm and the item level lists data/il<L>.htm.
#pragma once

#include "site/page_file.h"
#include "site/run_state.h"

namespace gvde {

// Writes every page of the category (and pictures where it has them). False when the run
// must end: an error was reported through RunError, or the user answered Yes to "... Exit?".
bool WriteItemPages(RunState& run);

// The category's CategoryListHook: its own links into the open category page and its lists.
bool ItemListCallback(RunState& run, PageFile& categoryPage);

}  // namespace gvde
