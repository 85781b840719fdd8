// The unique category: pages data/u<N>.htm, the unique level lists data/ul<L>.htm and the
// unique ID lists data/ui<I>.htm.
#pragma once

#include <cstdint>

#include "site/record_pages.h"
#include "site/run.h"

namespace gvde {

void WriteUniquePage(PageFile& page, const PageContext& context, std::uint32_t number);
Category UniqueCategory(const Run& run);

}  // namespace gvde
