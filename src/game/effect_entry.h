// One magical effect of a unique item or an affix: a code and two parameters.
#pragma once

#include <cstdint>

namespace gvde {

struct EffectEntry {
  std::uint32_t code = 0;
  std::int32_t param1 = 0;
  std::int32_t param2 = 0;
};

}  // namespace gvde
