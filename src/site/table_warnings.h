// The run's warnings about its configuration: one line per table that Address.ini places
// where the evidence plainly says it is not (no readable name at all, most records out of
// range). The run goes on as it would without them.
#pragma once

#include <string>
#include <vector>

#include "game/game_data.h"

namespace gvde {

// "ItemTable at 4A1002 does not look like the item table (0 of 165 names readable)", in the
// order of Address.ini; empty for a plausible game, odd records and all.
std::vector<std::string> TableWarnings(const GameData& game, const TableAddresses& addresses);

}  // namespace gvde
