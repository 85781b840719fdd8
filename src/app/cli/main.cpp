// gvde-cli: the terminal front end. Reads Effect.ini, AITypes.ini and Address.ini from the
// current directory (or --config DIR), then runs one extraction from GAME_DIR into OUTPUT_DIR.
#ifdef _WIN32
#include <io.h>
#define GVDE_ISATTY(f) _isatty(_fileno(f))
#else
#include <unistd.h>
#define GVDE_ISATTY(f) isatty(fileno(f))
#endif

#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "app/cli/cli_host.h"
#include "app/cli/data_document_step.h"
#include "app/setup_commands.h"
#include "app/startup_config.h"
#include "effects/effect_descriptions.h"
#include "image/picture_encoder.h"
#include "platform/file_system.h"
#include "site/extraction_run.h"

namespace {

constexpr int kExitDone = 0;
constexpr int kExitRunFailed = 1;
constexpr int kExitStartup = 2;

constexpr const char* kUsage =
    "Usage: gvde-cli [--technical] [--keep-going | --stop-on-image-error] [--json FILE]\n"
    "                [--config DIR] [--jobs N] [--quiet] [--] GAME_DIR OUTPUT_DIR\n"
    "       gvde-cli --find-addresses [--write-config DIR] GAME_DIR\n"
    "       gvde-cli --check [--config DIR] GAME_DIR\n"
    "\n"
    "Writes the Grimveil data site for the game in GAME_DIR into OUTPUT_DIR.\n"
    "Effect.ini, AITypes.ini and Address.ini are read from the current directory,\n"
    "or from DIR with --config DIR.\n"
    "\n"
    "  --technical            add the technical information to the pages\n"
    "  --keep-going           answer No when a monster or boss picture fails\n"
    "  --stop-on-image-error  answer Yes (stop the run) when a picture fails\n"
    "  --json FILE            also write every record as one UTF-8 JSON document to FILE,\n"
    "                         only when the run ends with Done (docs/data-format.md)\n"
    "  --config DIR           read Effect.ini, AITypes.ini and Address.ini from DIR\n"
    "  --jobs N               encode pictures on N threads (1 to 64; default: one per\n"
    "                         processor); the site is the same for every N\n"
    "  --quiet                no progress line (shown on stderr when it is a terminal)\n"
    "  --find-addresses       find the tables in GAME_DIR/GV.exe and print an Address.ini\n"
    "                         with the evidence for each address (exit 0: all six found\n"
    "                         with high confidence)\n"
    "  --write-config DIR     with --find-addresses: write Address.ini, and Effect.ini and\n"
    "                         AITypes.ini with placeholder names, into DIR; an existing\n"
    "                         file is kept\n"
    "  --check                judge the tables at the configured addresses (exit 0: all\n"
    "                         look right, 1: one does not, 2: a run would refuse it)\n"
    "  --help                 show this text\n"
    "  --version              show the version\n"
    "  --                     end of the options: the next arguments are directories\n"
    "\n"
    "A question on a terminal is answered by y or n; end of input answers No.\n"
    "Exit status: 0 done, 1 the run ended with an error, 2 configuration or usage error.\n";

struct Arguments {
  bool technical = false;
  bool quiet = false;
  gvde::ImageErrorAnswer answer = gvde::ImageErrorAnswer::Ask;
  std::string jsonFile;
  std::string configDir;
  std::string jobsText;
  unsigned jobs = 0;  // 0: the run's default
  bool findAddresses = false;
  bool check = false;
  std::string writeConfigDir;
  std::string gameDir;
  std::string outputDir;
};

enum class ValueOption { None, Taken, Missing };

// "--json FILE" or "--json=FILE", and the same for --config and --jobs; Missing after the
// message when the value is missing or empty.
ValueOption TakeValueOption(int argc, char** argv, int& i, Arguments& args) {
  struct Option {
    std::string_view name;
    std::string Arguments::*value;
  };
  static constexpr Option kOptions[] = {{"--json", &Arguments::jsonFile},
                                        {"--config", &Arguments::configDir},
                                        {"--jobs", &Arguments::jobsText},
                                        {"--write-config", &Arguments::writeConfigDir}};
  const std::string_view arg = argv[i];
  for (const Option& option : kOptions) {
    std::string& value = args.*option.value;
    if (arg.starts_with(option.name) && arg.size() > option.name.size() && arg[option.name.size()] == '=') {
      value = arg.substr(option.name.size() + 1);
    } else if (arg == option.name) {
      value = i + 1 < argc ? argv[++i] : "";
    } else {
      continue;
    }
    if (!value.empty()) return ValueOption::Taken;
    std::fprintf(stderr, "gvde-cli: %s needs a value\n", std::string(option.name).c_str());
    return ValueOption::Missing;
  }
  return ValueOption::None;
}

enum class ParseResult { Run, Help, Version, Error };

// The --jobs value: a whole number from 1 to kMostPictureJobs, or 0 after the message.
unsigned ParseJobs(const std::string& text) {
  unsigned jobs = 0;
  bool digits = !text.empty() && text.size() <= 2;
  for (const char c : text) {
    digits = digits && c >= '0' && c <= '9';
    if (digits) jobs = jobs * 10 + static_cast<unsigned>(c - '0');
  }
  if (digits && jobs >= 1 && jobs <= gvde::kMostPictureJobs) return jobs;
  std::fprintf(stderr, "gvde-cli: --jobs needs a number from 1 to %u\n", gvde::kMostPictureJobs);
  return 0;
}

// The setup commands take GAME_DIR alone and exclude each other.
bool CheckSetupArguments(const Arguments& args, int positional) {
  if (args.findAddresses && args.check) {
    std::fprintf(stderr, "gvde-cli: --find-addresses and --check exclude each other\n");
    return false;
  }
  if (!args.writeConfigDir.empty() && !args.findAddresses) {
    std::fprintf(stderr, "gvde-cli: --write-config goes with --find-addresses\n");
    return false;
  }
  if ((args.findAddresses || args.check) && positional != 1) {
    std::fprintf(stderr, "gvde-cli: %s takes GAME_DIR only\n", args.check ? "--check" : "--find-addresses");
    return false;
  }
  return true;
}

ParseResult ParseArguments(int argc, char** argv, Arguments& args) {
  int positional = 0;
  bool answerGiven = false;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    const bool option = !optionsEnded && arg.size() > 1 && arg[0] == '-';
    if (option && arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (!option) {
      if (positional == 2 || (positional == 1 && (args.findAddresses || args.check))) {
        std::fprintf(stderr, "gvde-cli: too many arguments\n");
        return ParseResult::Error;
      }
      (positional == 0 ? args.gameDir : args.outputDir) = arg;
      ++positional;
      continue;
    }
    if (arg == "--help" || arg == "-h") return ParseResult::Help;
    if (arg == "--version") return ParseResult::Version;
    if (arg == "--technical") {
      args.technical = true;
    } else if (arg == "--find-addresses") {
      args.findAddresses = true;
    } else if (arg == "--check") {
      args.check = true;
    } else if (arg == "--quiet") {
      args.quiet = true;
    } else if (const ValueOption taken = TakeValueOption(argc, argv, i, args); taken != ValueOption::None) {
      if (taken == ValueOption::Missing) return ParseResult::Error;
    } else if (arg == "--keep-going" || arg == "--stop-on-image-error") {
      if (answerGiven) {
        std::fprintf(stderr, "gvde-cli: --keep-going and --stop-on-image-error exclude each other\n");
        return ParseResult::Error;
      }
      answerGiven = true;
      args.answer = arg == "--keep-going" ? gvde::ImageErrorAnswer::KeepGoing : gvde::ImageErrorAnswer::Stop;
    } else {
      std::fprintf(stderr, "gvde-cli: unknown option %s\n", argv[i]);
      return ParseResult::Error;
    }
  }
  if (!CheckSetupArguments(args, positional)) return ParseResult::Error;
  if (positional != 2 && !args.findAddresses && !args.check) {
    std::fprintf(stderr, "gvde-cli: GAME_DIR and OUTPUT_DIR are required\n");
    return ParseResult::Error;
  }
  if (!args.jobsText.empty()) {
    args.jobs = ParseJobs(args.jobsText);
    if (args.jobs == 0) return ParseResult::Error;
  }
  return ParseResult::Run;
}

// A directory given without a trailing separator gets one; an empty text stays empty so the
// run can say which directory is missing.
std::string WithSeparator(const std::string& dir) {
  if (dir.empty()) return dir;
  return gvde::AddSeparator(dir, gvde::PathSeparator());
}

// Prints what a setup command made; the warnings and errors of --check come before its lines.
int PrintCommand(const gvde::CommandOutput& output, bool errFirst) {
  if (errFirst) std::fputs(output.err.c_str(), stderr);
  std::fputs(output.out.c_str(), stdout);
  std::fflush(stdout);
  if (!errFirst) std::fputs(output.err.c_str(), stderr);
  return output.exitCode;
}

// "gvde-cli --check [--config DIR] GAME_DIR", as the user named the folders.
std::string CheckCommand(const Arguments& args) {
  std::string command = "gvde-cli --check ";
  if (!args.configDir.empty()) command += "--config " + args.configDir + " ";
  return command + args.gameDir;
}

}  // namespace

int main(int argc, char** argv) {
#ifndef _WIN32
  // A reader that goes away (`gvde-cli ... | head -1`) must not end the run half way: messages
  // to a closed pipe are dropped and the site is still written whole.
  std::signal(SIGPIPE, SIG_IGN);
#endif
  Arguments args;
  switch (ParseArguments(argc, argv, args)) {
    case ParseResult::Help:
      std::fputs(kUsage, stdout);
      return kExitDone;
    case ParseResult::Version:
      std::printf("gvde-cli %s\n", GVDE_VERSION);
      return kExitDone;
    case ParseResult::Error:
      std::fputs(kUsage, stderr);
      return kExitStartup;
    case ParseResult::Run:
      break;
  }

  const std::string configDir = WithSeparator(args.configDir);
  if (args.findAddresses) return PrintCommand(gvde::FindAddresses(WithSeparator(args.gameDir), args.writeConfigDir), false);
  if (args.check) return PrintCommand(gvde::CheckConfiguration(configDir, WithSeparator(args.gameDir)), true);
  gvde::StartupResult startup = gvde::LoadStartupConfiguration(configDir);
  for (const std::string& warning : startup.warnings) std::fprintf(stderr, "Warning: %s\n", warning.c_str());
  if (!startup.ok) {
    std::fprintf(stderr, "Error: %s\n", startup.message.c_str());
    if (!startup.detail.empty()) std::fprintf(stderr, "  %s\n", startup.detail.c_str());
    return kExitStartup;
  }
  gvde::InitEffectFormatters();

  gvde::RunInputs inputs;
  inputs.gameDir = WithSeparator(args.gameDir);
  inputs.outputDir = WithSeparator(args.outputDir);
  inputs.technicalInfo = args.technical;
  inputs.jobs = args.jobs;
  if (!inputs.outputDir.empty()) {
    // A missing output directory is created with its parents; if that fails the run
    // reports that it cannot create its data directory.
    std::error_code ignored;
    std::filesystem::create_directories(inputs.outputDir, ignored);
  }

  const bool showProgress = !args.quiet && GVDE_ISATTY(stderr) != 0;
  gvde::CliHost host(args.answer, stdout, stderr, stdin, GVDE_ISATTY(stdin) != 0, showProgress);
  host.SetCheckCommand(CheckCommand(args));
  gvde::FinishingStep finish;
  if (!args.jsonFile.empty()) finish = gvde::DataDocumentStep(args.jsonFile, startup.configuration, host);
  return gvde::StartExtraction(inputs, startup.configuration, host, finish) ? kExitDone : kExitRunFailed;
}
