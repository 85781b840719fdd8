// Reads a command line against its table: long options (--name, --name VALUE, --name=VALUE),
// short ones (-q, -j N, -jN, bundled -qV), "--" ending the options, and the mode's arguments.
// The first problem ends the reading with a one-line message for ReportUsageError.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "command_line/command_spec.h"

namespace gvde {

struct ParsedArguments {
  std::size_t mode = 0;  // index into CommandSpec::modes
  std::vector<std::string> arguments;
  // Every option given, in order, with its value (empty for a flag); the options point into
  // the command's table.
  std::vector<std::pair<const OptionSpec*, std::string>> given;
  const OptionSpec* answeredAtOnce = nullptr;  // --help or --version, when met

  bool Has(std::string_view name) const;
  // The option's value; empty when it was not given.
  std::string Value(std::string_view name) const;
  std::vector<std::string> Values(std::string_view name) const;
};

struct ParseResult {
  ParsedArguments parsed;
  std::string problem;  // empty when the line is usable
};

// `argv[0]` is the program and is not read.
ParseResult ParseArguments(const CommandSpec& command, int argc, const char* const* argv);

// A whole decimal number from `least` to `most`; nothing for any other text.
std::optional<unsigned> ParseWholeNumber(std::string_view text, unsigned least, unsigned most);

}  // namespace gvde
