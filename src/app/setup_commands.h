// The commands that help set up a configuration for a game: find the table addresses in
// GV.exe (and write a configuration from them), and check a configuration against GV.exe.
#pragma once

#include <string>

#include "app/command_output.h"

namespace gvde {

// gvde-cli --find-addresses GAME_DIR [--write-config DIR]: the proposed Address.ini on stdout;
// exit 0 when all six tables were found with high confidence, 1 otherwise (or when GV.exe
// cannot be loaded or a file cannot be written). `gameDir` ends with a separator; `writeDir`
// is empty for no files.
CommandOutput FindAddresses(const std::string& gameDir, const std::string& writeDir);

// gvde-cli --check [--config DIR] GAME_DIR: one line per key and a verdict; exit 0 when every
// table looks right, 1 when one does not (or GV.exe cannot be loaded), 2 for a configuration
// that a run refuses. Writes nothing. Both directories end with a separator or are empty.
CommandOutput CheckConfiguration(const std::string& configDir, const std::string& gameDir);

}  // namespace gvde
