// The prefix and suffix categories: pages data/p<N>.htm, data/s<N>.htm and their effect,
// level and item-class lists (pe/pl/po, se/sl/so).
#pragma once

#include <cstdint>

#include "game/game_data.h"
#include "site/record_pages.h"
#include "site/run.h"

namespace gvde {

Category AffixCategory(const Run& run, AffixKind kind);

}  // namespace gvde
