// One line of English per magical effect: the effect's name from Effect.ini and its text form.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "game/effect_entry.h"
#include "game/game_data.h"

namespace gvde {

// What the texts need from the run: the 94 effect names and the spell names for charges.
struct EffectContext {
  const std::array<std::string, 94>& effectNames;
  const GameData& game;
};

// Fills the code-to-formatter table; called once at start-up (safe to call again).
void InitEffectFormatters();

// The line as plain text; a page escapes it whole, as it does the names in it. Codes above 93
// give "Unknown effect " + code + ": " + FormatRange(p1, p2).
std::string DescribeEffect(const EffectEntry& entry, const EffectContext& context);

// a; and when b differs, "..." and b.
std::string FormatRange(std::int32_t a, std::int32_t b);

}  // namespace gvde
