// Monster pages and pictures data/m<N>.htm/.png and the lists mb, mg, md, ml.
#pragma once

#include "site/page_file.h"
#include "site/run_state.h"

namespace gvde {

// Writes every page of the category (and pictures where it has them). False when the run
// must end: an error was reported through RunError, or the user answered Yes to "... Exit?".
bool WriteMonsterPages(RunState& run);

// The category's CategoryListHook: its own links into the open category page and its lists.
bool WriteMonsterLists(RunState& run, PageFile& categoryPage);

}  // namespace gvde

namespace gvde {
// Writes the resistance entries of `flags`; true when it wrote at least one.
bool WriteResistanceList(PageFile& page, std::uint16_t flags);
}  // namespace gvde
