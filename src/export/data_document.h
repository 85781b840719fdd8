// The data document: one UTF-8 JSON document of every record the site has a page for, with the
// texts its page shows, for programs rather than browsers. docs/data-format.md describes it.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "export/source_files.h"
#include "game/game_data.h"

namespace gvde {

// What the document is made from: the game data of a finished run, the names from Effect.ini
// and AITypes.ini, and the pictures the run wrote.
struct DataSources {
  const GameData& game;
  const std::array<std::string, 94>& effectNames;
  std::span<const std::string> aiTypeNames;
  // Relative to the output folder with "/" ("data/m0.png").
  const std::vector<std::string>& pictures;
  const DocumentOrigin& origin;
};

class ReplacingFiles;

// Writes the document as the next file of `files`, to be renamed over `path` when they commit;
// the same sources always give the same bytes. Memory that cannot be had throws
// std::bad_alloc, which ends the run (the files' temporary names are removed on the way).
bool AddDataDocument(ReplacingFiles& files, const std::string& path, const DataSources& sources);

}  // namespace gvde
