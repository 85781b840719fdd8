// gvde-cli: the terminal front end. Reads Effect.ini, AITypes.ini and Address.ini from the
// current directory, then runs one extraction from GAME_DIR into OUTPUT_DIR.
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
#include "app/startup_config.h"
#include "effects/effect_descriptions.h"
#include "platform/file_system.h"
#include "site/extraction_run.h"

namespace {

constexpr int kExitDone = 0;
constexpr int kExitRunFailed = 1;
constexpr int kExitStartup = 2;

constexpr const char* kUsage =
    "Usage: gvde-cli [--technical] [--keep-going | --stop-on-image-error] [--] GAME_DIR OUTPUT_DIR\n"
    "\n"
    "Writes the Grimveil data site for the game in GAME_DIR into OUTPUT_DIR.\n"
    "Effect.ini, AITypes.ini and Address.ini are read from the current directory.\n"
    "\n"
    "  --technical            add the technical information to the pages\n"
    "  --keep-going           answer No when a monster or boss picture fails\n"
    "  --stop-on-image-error  answer Yes (stop the run) when a picture fails\n"
    "  --help                 show this text\n"
    "  --version              show the version\n"
    "  --                     end of the options: the next arguments are directories\n"
    "\n"
    "A question on a terminal is answered by y or n; end of input answers No.\n"
    "Exit status: 0 done, 1 the run ended with an error, 2 configuration or usage error.\n";

struct Arguments {
  bool technical = false;
  gvde::ImageErrorAnswer answer = gvde::ImageErrorAnswer::Ask;
  std::string gameDir;
  std::string outputDir;
};

enum class ParseResult { Run, Help, Version, Error };

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
      if (positional == 2) {
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
  if (positional != 2) {
    std::fprintf(stderr, "gvde-cli: GAME_DIR and OUTPUT_DIR are required\n");
    return ParseResult::Error;
  }
  return ParseResult::Run;
}

// A directory given without a trailing separator gets one; an empty text stays empty so the
// run can say which directory is missing.
std::string WithSeparator(const std::string& dir) {
  if (dir.empty()) return dir;
  return gvde::AddSeparator(dir, gvde::PathSeparator());
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

  gvde::StartupResult startup = gvde::LoadStartupConfiguration("");
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
  if (!inputs.outputDir.empty()) {
    // A missing output directory is created with its parents; if that fails the run
    // reports that it cannot create its data directory.
    std::error_code ignored;
    std::filesystem::create_directories(inputs.outputDir, ignored);
  }

  gvde::CliHost host(args.answer, stdout, stderr, stdin, GVDE_ISATTY(stdin) != 0);
  return gvde::StartExtraction(inputs, startup.configuration, host) ? kExitDone : kExitRunFailed;
}
