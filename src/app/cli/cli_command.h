// gvde-cli's command line: the one table of its options and modes, and what a run takes from
// a line read against it.
#pragma once

#include <optional>
#include <string>

#include "app/cli/cli_host.h"
#include "command_line/argument_parser.h"
#include "command_line/command_spec.h"
#include "compare/compare_documents.h"

namespace gvde {

const CommandSpec& CliCommand();

struct RunArguments {
  bool technical = false;
  bool quiet = false;
  ImageErrorAnswer answer = ImageErrorAnswer::Ask;
  std::string jsonFile;
  std::string csvDir;
  bool explorer = false;
  std::string configDir;
  unsigned jobs = 0;  // 0: the run's default
  std::string gameDir;
  std::string outputDir;
};

// The run's arguments from a usable line; the problem with a value (--jobs out of range) is
// returned, empty when there is none.
std::string ReadRunArguments(const ParsedArguments& parsed, RunArguments& run);

// Whether the line asks for --compare instead of a run.
bool IsComparison(const ParsedArguments& parsed);

struct CompareArguments {
  std::string oldDocument;
  std::string newDocument;
  CompareOptions options;
};

CompareArguments ReadCompareArguments(const ParsedArguments& parsed);

// --find-addresses [--write-config DIR] GAME_DIR, or --check [--config DIR] GAME_DIR.
struct SetupArguments {
  bool check = false;  // else --find-addresses
  std::string configDir;
  std::string writeDir;
  std::string gameDir;
};

// The setup command the line asks for, if any.
std::optional<SetupArguments> ReadSetupArguments(const ParsedArguments& parsed);

}  // namespace gvde
