// One magical effect of a unique item or an affix: a code and two parameters.
#pragma once

#include <cstdint>

#include "game/record_view.h"

namespace gvde {

// Effect codes 0 to 93 have a name (Effect.ini) and a text form.
constexpr std::uint32_t kEffectCodeCount = 94;
// The effect whose param1 is a spell code (charges of a spell).
constexpr std::uint32_t kSpellChargesEffect = 66;

struct EffectEntry {
  std::uint32_t code = 0;
  std::int32_t param1 = 0;
  std::int32_t param2 = 0;
};

// How an entry is stored inside a record: 12 bytes, the code and then the two parameters.
namespace effect_field {
constexpr std::uint32_t kSize = 12;
constexpr std::uint32_t kCode = 0;
constexpr std::uint32_t kParam1 = 4;
constexpr std::uint32_t kParam2 = 8;
}  // namespace effect_field

// The entry whose 12 bytes start at `offset` of `record`.
inline EffectEntry DecodeEffectEntry(const RecordView& record, std::uint32_t offset) {
  return EffectEntry{record.U32(offset + effect_field::kCode), record.I32(offset + effect_field::kParam1),
                     record.I32(offset + effect_field::kParam2)};
}

}  // namespace gvde
