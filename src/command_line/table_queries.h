// Questions the generated texts ask of a command's table.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "command_line/command_spec.h"

namespace gvde {

bool BelongsTo(const OptionSpec& option, std::size_t mode);
const OptionSpec* FindOption(const CommandSpec& command, std::string_view name);
// Options of the mode besides the one selecting it and those of every mode.
bool HasOwnOptions(const CommandSpec& command, std::size_t mode);
bool TakesArguments(const CommandSpec& command);
// The words of `text` separated by `separator`, empty ones kept.
std::vector<std::string_view> Split(std::string_view text, char separator);
// "gvde-cli" -> "gvde_cli": a name for shell functions.
std::string ShellName(std::string_view name);

}  // namespace gvde
