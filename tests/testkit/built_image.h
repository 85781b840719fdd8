// A built GV.exe image loaded as the run loads it, for tests of the game tables.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "demogame/pe_builder.h"
#include "game/executable.h"
#include "testkit/temp_dir.h"

namespace gvde::testkit {

// Builds the image, writes it to `path` and loads it; status 0 expected.
// Inline so that the test kit itself does not depend on the game module.
inline std::unique_ptr<executable> LoadBuiltImage(const demogame::PeBuilder& pe, const std::string& path) {
  const std::vector<std::uint8_t> bytes = pe.Build();
  if (!WriteFileText(path, std::string(bytes.begin(), bytes.end()))) return nullptr;
  return executable::Create(path);
}

}  // namespace gvde::testkit
