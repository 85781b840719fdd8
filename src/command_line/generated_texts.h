// Texts made from a command's table: the --help text, the man page and the shell completions.
#pragma once

#include <string>
#include <string_view>

#include "command_line/command_spec.h"

namespace gvde {

// The values of a program's "--generate KIND" option.
inline constexpr std::string_view kGeneratedKinds = "man bash zsh fish";

std::string HelpText(const CommandSpec& command);
// roff with the man macros, section 1.
std::string ManPage(const CommandSpec& command);
std::string BashCompletion(const CommandSpec& command);
std::string ZshCompletion(const CommandSpec& command);
std::string FishCompletion(const CommandSpec& command);

// One of the above by its kind in kGeneratedKinds; empty for another kind.
std::string GeneratedText(const CommandSpec& command, std::string_view kind);

}  // namespace gvde
