// Writing a new configuration: Address.ini from the finder, and Effect.ini and AITypes.ini
// with placeholder names, each only where no file of that name exists yet.
#pragma once

#include <string>

#include "app/command_output.h"

namespace gvde {

// "Effect 0" ... "Effect 93", one per line, each line ended by CR LF.
std::string PlaceholderEffectNames();
// "AI type 0" ... "AI type 39".
std::string PlaceholderAiTypeNames();

// Writes the three files into `dir` (created when missing), never replacing an existing file;
// notes on `output.err` which were written and which kept, and on failure an error and exit 1.
void WriteConfigFiles(const std::string& dir, const std::string& addressIni, CommandOutput& output);

}  // namespace gvde
