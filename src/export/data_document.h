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

// What the document is made from: the game data of a finished run (with its image, for the
// title and the spell names), the names from Effect.ini and AITypes.ini, the pictures the run
// wrote, and the program and input files that made it.
struct DataSources {
  const GameData& game;
  const std::array<std::string, 94>& effectNames;
  std::span<const std::string> aiTypeNames;
  std::uint32_t spellTable = 0;
  std::uint32_t titleAddress = 0;
  // Relative to the output folder with "/" ("data/m0.png").
  const std::vector<std::string>& pictures;
  const DocumentOrigin& origin;
};

class ReplacingFiles;

// The document's text; the same sources always give the same bytes. Empty when it cannot be
// made (no memory).
std::string DataDocument(const DataSources& sources);

// Writes the document to `path` through a temporary file beside it ("<path>.tmp") that is
// renamed over `path` at the end, so `path` holds either its earlier content or the whole new
// document. False, with no temporary file left, when it cannot.
bool WriteDataDocument(const std::string& path, const DataSources& sources);

// Writes the document as the next file of `files`, to be renamed over `path` when they commit.
bool AddDataDocument(ReplacingFiles& files, const std::string& path, const DataSources& sources);

}  // namespace gvde
