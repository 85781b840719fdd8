// What every program answers without doing its own work: a usage error in two lines,
// --help, --version and --generate KIND.
#pragma once

#include <cstdio>
#include <optional>
#include <string_view>

#include "command_line/argument_parser.h"
#include "command_line/command_spec.h"

namespace gvde {

inline constexpr int kExitUsage = 2;

// "<name>: <problem>" and "Try '<name> --help'" on `err`; returns kExitUsage.
int ReportUsageError(const CommandSpec& command, std::string_view problem, std::FILE* err);

// The exit status when the line was a usage error or asked for the help, the version or a
// generated text ("--generate" with one of kGeneratedKinds); nothing when the program has
// its own work to do.
std::optional<int> AnswerWithoutRunning(const CommandSpec& command, const ParseResult& result, std::FILE* out,
                                        std::FILE* err);

}  // namespace gvde
