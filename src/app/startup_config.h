// Start-up configuration: the remembered settings and the three required configuration files,
// read in a fixed order with the first failure reported as one message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "site/run_config.h"

namespace gvde {

// Hexadecimal digits without prefix, either letter case, wrapping at 32 bits. Empty text or any
// other character (a space, "x", "$", ";") gives 0.
std::uint32_t HexToNum(std::string_view text);

// The path followed by a backslash unless it already ends with one.
std::string AddBackslash(std::string_view path);

// The path followed by `separator` unless it already ends with it.
std::string AddSeparator(std::string_view path, char separator);

// Exactly `maxLines` lines (ending at CR, LF or CR LF); lines past the end of the text are empty,
// lines beyond `maxLines` are dropped.
std::vector<std::string> ReadLines(const std::vector<std::uint8_t>& bytes, std::size_t maxLines);

struct RememberedSettings {
  std::string gameDir, outputDir;
  bool technicalInfo = false;
};

// Settings.ini: game directory, output directory, then "+" when ticked. A missing file (or one
// above kMaxIniFileSize) gives empty values and an unticked box; only a third line of exactly "+" ticks it.
RememberedSettings LoadSettings(const std::string& path);

// Writes the three lines, each ended by CR LF. False when the file could not be written; the
// caller reports nothing.
bool SaveSettings(const std::string& path, const RememberedSettings& settings);

struct StartupResult {
  bool ok = false;
  std::string message;  // the one start-up failure message when !ok
  // The file and the reason, where known ("Address.ini line 7: ItemTable given twice").
  std::string detail;
  // Problems that do not stop start-up (a name list with too few lines, or saved as UTF-8),
  // one line each, in the order the files are read.
  std::vector<std::string> warnings;
  Configuration configuration;
  RememberedSettings settings;
};

// Reads Settings.ini, Effect.ini, AITypes.ini and Address.ini from `directory` (a path prefix,
// empty for the current directory) and stops at the first failure.
StartupResult LoadStartupConfiguration(const std::string& directory);

}  // namespace gvde
