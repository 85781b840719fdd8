// Unique item pages data/u<U>.htm, the unique level lists ul<L> and unique-ID lists ui<K>.
#pragma once

#include "site/page_file.h"
#include "site/run_state.h"

namespace gvde {

// Writes every page of the category (and pictures where it has them). False when the run
// must end: an error was reported through RunError, or the user answered Yes to "... Exit?".
bool WriteUniquePages(RunState& run);

// The category's CategoryListHook: its own links into the open category page and its lists.
bool UniqueListCallback(RunState& run, PageFile& categoryPage);

}  // namespace gvde
