#include <cstdint>
#include <optional>
#include <string>

#include "game/item_records.h"

namespace gvde {

namespace {
constexpr const char* kNoString = "<NO STRING>";
}  // namespace

std::string SpellName(const executable& exe, std::uint32_t spellTable, std::uint32_t code) {
  if (code == 0 || code > kLastSpellCode) return kNoString;
  // Unsigned arithmetic: a table address near the top of the space wraps like the game's.
  const std::uint32_t recordVa = spellTable + kSpellRecordSize * (code - 1);
  const std::optional<std::uint32_t> offset = exe.VAToPointer(recordVa);
  if (!offset) return kNoString;
  const RecordView record = exe.Record(*offset, kSpellNameOffset + 4);
  if (!record.Valid()) return kNoString;
  return exe.ReadString(record.U32(kSpellNameOffset));
}

}  // namespace gvde
