// gvde-cli: the terminal front end. Reads Effect.ini, AITypes.ini and Address.ini from the
// current directory (or --config DIR), then runs one extraction from GAME_DIR into OUTPUT_DIR.
#ifdef _WIN32
#include <io.h>
#define GVDE_ISATTY(f) _isatty(_fileno(f))
#else
#include <unistd.h>
#define GVDE_ISATTY(f) isatty(fileno(f))
#endif

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "app/cli/cli_command.h"
#include "app/cli/cli_host.h"
#include "app/cli/compare_command.h"
#include "app/cli/data_document_step.h"
#include "app/cli/held_signals.h"
#include "app/cli/output_targets.h"
#include "app/setup_commands.h"
#include "app/startup_config.h"
#include "command_line/program_answers.h"
#include "effects/effect_descriptions.h"
#include "explorer/explorer_files.h"
#include "export/replacing_file.h"
#include "platform/file_system.h"
#include "site/extraction_run.h"
#include "site/run_messages.h"

namespace {

constexpr int kExitDone = 0;
constexpr int kExitRunFailed = 1;
constexpr int kExitStartup = 2;

// A directory given without a trailing separator gets one; an empty text stays empty so the
// run can say which directory is missing.
std::string WithSeparator(const std::string& dir) {
  if (dir.empty()) return dir;
  return gvde::AddSeparator(dir, gvde::PathSeparator());
}

// Prints what a setup command made; the warnings and errors of --check come before its lines.
int RunSetupCommand(const gvde::SetupArguments& setup) {
  const std::string gameDir = WithSeparator(setup.gameDir);
  const gvde::CommandOutput output = setup.check ? gvde::CheckConfiguration(WithSeparator(setup.configDir), gameDir)
                                                 : gvde::FindAddresses(gameDir, setup.writeDir);
  if (setup.check) std::fputs(output.err.c_str(), stderr);
  std::fputs(output.out.c_str(), stdout);
  std::fflush(stdout);
  if (!setup.check) std::fputs(output.err.c_str(), stderr);
  return output.exitCode;
}

bool PlainInCommand(char c) {
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
#ifdef _WIN32
  if (c == '\\') return true;
#endif
  return std::string_view("_-./:@%+=,").find(c) != std::string_view::npos;
}

// A folder's name as the shell reads it back: as it is when it holds only plain characters,
// otherwise quoted (a Windows path cannot hold a double quote).
std::string CommandWord(const std::string& word) {
  if (!word.empty() && std::all_of(word.begin(), word.end(), PlainInCommand)) return word;
#ifdef _WIN32
  // Backslashes before the closing quote are doubled, or the program would read an escaped quote.
  const std::size_t trailing = word.size() - (word.find_last_not_of('\\') + 1);
  return "\"" + word + std::string(trailing, '\\') + "\"";
#else
  std::string quoted = "'";
  for (const char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
#endif
}

// "gvde-cli --check [--config DIR] GAME_DIR", as the user named the folders.
std::string CheckCommand(const gvde::RunArguments& args) {
  std::string command = "gvde-cli --check ";
  if (!args.configDir.empty()) command += "--config " + CommandWord(args.configDir) + " ";
  return command + CommandWord(args.gameDir);
}

}  // namespace

int RunCli(int argc, char** argv) {
#ifndef _WIN32
  // A reader that goes away (`gvde-cli ... | head -1`) must not end the run half way: messages
  // to a closed pipe are dropped and the site is still written whole.
  std::signal(SIGPIPE, SIG_IGN);
#endif
  const gvde::CommandSpec& command = gvde::CliCommand();
  const gvde::ParseResult line = gvde::ParseArguments(command, argc, argv);
  if (const std::optional<int> answered = gvde::AnswerWithoutRunning(command, line, stdout, stderr))
    return *answered;
  if (gvde::IsComparison(line.parsed)) {
    const gvde::CompareArguments compare = gvde::ReadCompareArguments(line.parsed);
    return gvde::RunComparison(compare.oldDocument, compare.newDocument, compare.options, stdout, stderr);
  }
  if (const std::optional<gvde::SetupArguments> setup = gvde::ReadSetupArguments(line.parsed)) {
    return RunSetupCommand(*setup);
  }
  gvde::RunArguments args;
  if (const std::string problem = gvde::ReadRunArguments(line.parsed, args); !problem.empty()) {
    return gvde::ReportUsageError(command, problem, stderr);
  }

  const std::string configDir = WithSeparator(args.configDir);
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
  inputs.makeOutputDir = true;

  const gvde::DataOutputs outputs{args.jsonFile, args.csvDir, inputs.gameDir, configDir};
  const bool dataOutputs = !outputs.jsonFile.empty() || !outputs.csvDir.empty();
  if (dataOutputs) {
    if (const std::optional<gvde::TargetProblem> problem = gvde::CheckOutputTargets(outputs, inputs.outputDir)) {
      std::fprintf(stderr, "Error: %s\n", problem->message.c_str());
      if (!problem->detail.empty()) std::fprintf(stderr, "  %s\n", problem->detail.c_str());
      return kExitStartup;
    }
  }

  // With the document on standard output, "Done" goes to stderr.
  std::FILE* doneStream = args.jsonFile == gvde::kStandardOutputName ? stderr : stdout;
  const bool showProgress = !args.quiet && GVDE_ISATTY(stderr) != 0;
  gvde::CliHost host(args.answer, doneStream, stderr, stdin, GVDE_ISATTY(stdin) != 0, showProgress);
  host.SetCheckCommand(CheckCommand(args));
  // Held by the data step from its start until the run has said "Done" or failed.
  gvde::EndingSignals endingSignals;
  gvde::FinishingStep finish;
  if (dataOutputs) finish = gvde::DataOutputsStep(outputs, startup.configuration, host, endingSignals);
  gvde::SiteAddition explorer;
  if (args.explorer) explorer = gvde::ExplorerAddition(startup.configuration, host);
  const bool done = gvde::StartExtraction(inputs, startup.configuration, host, finish, explorer);
  endingSignals.Release();
  return done ? kExitDone : kExitRunFailed;
}

int main(int argc, char** argv) {
  // The run itself reports memory it cannot have; this catches what comes before or after it.
  try {
    return RunCli(argc, argv);
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "Error: %s\n", std::string(gvde::kNotEnoughMemory).c_str());
    return kExitRunFailed;
  }
}
