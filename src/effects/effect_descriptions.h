// One line of English per magical effect: the effect's name from Effect.ini and its text form.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "game/effect_entry.h"
#include "game/executable.h"

namespace gvde {

// What the texts need from the run: the 94 effect names and the spell table for charges.
struct EffectContext {
  const std::array<std::string, 94>& effectNames;
  const executable& exe;
  std::uint32_t spellTable;
};

// Fills the code-to-formatter table; called once at start-up (safe to call again).
void InitEffectFormatters();

// The line as a page shows it: a spell name in it is escaped (it comes from the game), the
// effect names of Effect.ini are not. Codes above 93 give "Unknown effect " + code + ": " +
// FormatRange(p1, p2).
std::string DescribeEffect(const EffectEntry& entry, const EffectContext& context);

// a; and when b differs, "..." and b.
std::string FormatRange(std::int32_t a, std::int32_t b);

}  // namespace gvde
