// The INI reader on arbitrary file contents held in memory, with value comments off and on:
// a load either fails with a reason or gives the seven address entries (or their defaults).
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ini/ini_to_read.h"

namespace {

constexpr std::array<const char*, 7> kKeys = {"ItemTable",  "UniqueTable", "MonsterTable", "BossTable",
                                              "SpellTable", "AffixTable",  "Title"};

void LoadAndLookUp(std::string_view text, bool valueComments) {
  gvde::INIToRead reader;
  reader.SetValueComments(valueComments);
  const bool loaded = reader.LoadText(text);
  if (loaded != reader.LastError().empty()) std::abort();
  for (const char* key : kKeys) {
    const std::string value = reader.GetValue(key, "-");
    if (!loaded && value != "-") std::abort();  // nothing is found in a failed load
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  LoadAndLookUp(text, false);
  LoadAndLookUp(text, true);
  return 0;
}
