#include <cstdint>
#include <optional>
#include <string>

#include "game/item_records.h"

namespace gvde {

namespace {

std::string SpellName(const executable& exe, std::uint32_t spellTable, std::uint32_t code) {
  // Unsigned arithmetic: a table address near the top of the space wraps like the game's.
  const std::uint32_t recordVa = spellTable + kSpellRecordSize * (code - 1);
  const std::optional<std::uint32_t> offset = exe.VAToPointer(recordVa);
  if (!offset) return std::string(kNoString);
  const RecordView record = exe.Record(*offset, kSpellNameOffset + 4);
  if (!record.Valid()) return std::string(kNoString);
  return exe.ReadString(record.U32(kSpellNameOffset));
}

}  // namespace

SpellNames ReadSpellNames(const executable& exe, std::uint32_t spellTable) {
  SpellNames names;
  for (std::uint32_t code = 1; code <= kSpellCount; ++code) names[code - 1] = SpellName(exe, spellTable, code);
  return names;
}

}  // namespace gvde
