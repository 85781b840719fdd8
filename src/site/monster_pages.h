// The monster category: pages and pictures data/m<N>.htm/.png and the lists mb, mg, md, ml.
#pragma once

#include <cstdint>

#include "site/record_pages.h"
#include "site/run.h"

namespace gvde {

// The page, then the picture; a failed picture asks whether to stop the run.
Category MonsterCategory(Run& run);

// Writes the resistance entries of `flags`; true when it wrote at least one.
bool WriteResistanceList(PageFile& page, std::uint16_t flags);

}  // namespace gvde
