// Prefix and suffix pages data/p<N>.htm, data/s<N>.htm and their effect, level and
// item-class lists (pe/pl/po, se/sl/so). The kind comes from run.AffixPass (0 prefixes, 1 suffixes).
#pragma once

#include "site/page_file.h"
#include "site/run_state.h"

namespace gvde {

// Writes the pages of the affix run of kind run.AffixPass. False when the run must end.
bool WriteAffixPages(RunState& run);

// The affix CategoryListHook for kind run.AffixPass.
bool WriteAffixLists(RunState& run, PageFile& categoryPage);

}  // namespace gvde
