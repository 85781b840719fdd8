// What a run needs from start-up and from the window: configuration and the run's inputs.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace gvde {

constexpr std::size_t kEffectCount = 94;
constexpr std::size_t kAiTypeCount = 40;

struct TableAddresses {
  std::uint32_t ItemTable = 0;
  std::uint32_t UniqueTable = 0;
  std::uint32_t MonsterTable = 0;
  std::uint32_t BossTable = 0;
  std::uint32_t SpellTable = 0;
  std::uint32_t AffixTable = 0;
  std::uint32_t Title = 0;
};

struct Configuration {
  std::array<std::string, kEffectCount> EffectNames;
  std::array<std::string, kAiTypeCount> AiTypeNames;
  TableAddresses addresses;
};

struct RunInputs {
  std::string gameDir;    // used as a path prefix exactly as given
  std::string OutputDir;  // likewise
  bool TechnicalInfo = false;
};

}  // namespace gvde
