// The boss category: pages and pictures data/b<N>.htm/.png and the dungeon-level lists bd<L>.
#pragma once

#include <cstdint>

#include "site/record_pages.h"
#include "site/run.h"

namespace gvde {

// The page, then the picture; a failed picture asks whether to stop the run.
Category BossCategory(Run& run);

}  // namespace gvde
