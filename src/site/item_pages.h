// The item category: pages data/i<N>.htm and the item level lists data/il<L>.htm.
#pragma once

#include <cstdint>

#include "site/record_pages.h"
#include "site/run.h"

namespace gvde {

Category ItemCategory(const Run& run);

}  // namespace gvde
