// The INI reader on arbitrary file contents, with value comments off and on: a load either
// fails with a reason or gives the seven address entries (or their defaults).
#include <array>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "fuzz_support.h"
#include "ini/ini_to_read.h"

namespace {

constexpr std::array<const char*, 7> kKeys = {"ItemTable",  "UniqueTable", "MonsterTable", "BossTable",
                                              "SpellTable", "AffixTable",  "Title"};

void LoadAndLookUp(const std::string& path, bool valueComments) {
  gvde::INIToRead reader;
  reader.SetValueComments(valueComments);
  const bool loaded = reader.Load(path);
  if (loaded != reader.IsLoaded() || (!loaded && reader.LastError().empty())) std::abort();
  for (const char* key : kKeys) {
    const std::string value = reader.GetValue(key, "-");
    if (!loaded && value != "-") std::abort();  // nothing is found in a failed load
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = gvde::fuzz::ScratchDir() + "/Address.ini";
  if (!gvde::fuzz::WriteBytes(path, std::span<const std::uint8_t>(data, size))) std::abort();
  LoadAndLookUp(path, false);
  LoadAndLookUp(path, true);
  return 0;
}
