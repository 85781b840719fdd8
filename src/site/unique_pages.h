// The unique category: pages data/u<N>.htm, the unique level lists data/ul<L>.htm and the
// unique ID lists data/ui<I>.htm.
#pragma once

#include <cstdint>

#include "site/record_pages.h"
#include "site/run.h"

namespace gvde {

Category UniqueCategory(const Run& run);

}  // namespace gvde
