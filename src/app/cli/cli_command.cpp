#include "app/cli/cli_command.h"

#include "command_line/generated_texts.h"
#include "image/picture_encoder.h"

namespace gvde {
namespace {

// The --jobs help says so.
static_assert(kMostPictureJobs == 64);

constexpr ModeSet kRun = 1 << 0;
constexpr ModeSet kCompare = 1 << 1;
constexpr ModeSet kGenerate = 1 << 2;
constexpr ModeSet kFindAddresses = 1 << 3;
constexpr ModeSet kCheck = 1 << 4;

}  // namespace

const CommandSpec& CliCommand() {
  static const CommandSpec command{
      .name = "gvde-cli",
      .version = GVDE_VERSION,
      .summary = "write the Grimveil data site for a game folder",
      .description =
          "Writes the Grimveil data site for the game in GAME_DIR into OUTPUT_DIR: a page\n"
          "per item, unique item, monster, boss, prefix and suffix, lists of each, and\n"
          "PNG pictures. OUTPUT_DIR is created when missing. Effect.ini, AITypes.ini and\n"
          "Address.ini are read from the current directory, or from DIR with --config DIR.",
      .modes = {{.option = {},
                 .arguments = {{"GAME_DIR", Completion::Directory}, {"OUTPUT_DIR", Completion::Directory}}},
                {.option = "compare", .arguments = {{"OLD.json", Completion::File}, {"NEW.json", Completion::File}}},
                {.option = "generate", .arguments = {}},
                {.option = "find-addresses", .arguments = {{"GAME_DIR", Completion::Directory}}},
                {.option = "check", .arguments = {{"GAME_DIR", Completion::Directory}}}},
      .options =
          {
              {.name = "technical", .help = "add the technical information to the pages", .modes = kRun},
              {.name = "keep-going",
               .help = "answer No when a monster or boss picture fails",
               .modes = kRun,
               .group = "answer"},
              {.name = "stop-on-image-error",
               .help = "answer Yes (stop the run) when a picture fails",
               .modes = kRun,
               .group = "answer"},
              {.name = "json",
               .valueName = "FILE",
               .help = "also write every record as one UTF-8 JSON document",
               .details = "FILE is written only when the run ends with Done, through a temporary file\n"
                          "beside it renamed at the end, so a failed or stopped run leaves an earlier\n"
                          "FILE as it was; a link keeps its place and the file it leads to is replaced.\n"
                          "- writes the document to standard output (Done then goes to stderr), and a\n"
                          "device or named pipe is written into as it is. FILE must not be one of the\n"
                          "run's inputs or lie inside OUTPUT_DIR.",
               .completion = Completion::File,
               .modes = kRun},
              {.name = "csv",
               .valueName = "DIR",
               .help = "also write one CSV file per record category",
               .details = "DIR gets items.csv, uniques.csv and so on; it is made when missing. The\n"
                          "tables are written like the document: only when the run ends with Done,\n"
                          "through temporary files renamed at the end. DIR must not lie inside\n"
                          "OUTPUT_DIR.",
               .completion = Completion::Directory,
               .modes = kRun},
              {.name = "explorer",
               .help = "also write explorer.htm, to search and sort records",
               .details = "A page beside the site, linked from index.htm: a search over every record\n"
                          "by name and a table per category to sort and filter. It works opened\n"
                          "from disk. Without the option every file is as it always was.",
               .modes = kRun},
              {.name = "config",
               .shortName = 'c',
               .valueName = "DIR",
               .help = "read the three .ini files from DIR",
               .details = "Effect.ini, AITypes.ini and Address.ini are read from DIR instead of the\n"
                          "current directory.",
               .completion = Completion::Directory,
               .modes = kRun | kCheck},
              {.name = "jobs",
               .shortName = 'j',
               .valueName = "N",
               .help = "encode pictures on N threads (1 to 64)",
               .details = "The default is one per processor. The site and the messages are the same\n"
                          "for every N; --jobs 1 uses no other thread.",
               .modes = kRun},
              {.name = "quiet",
               .shortName = 'q',
               .help = "show no progress line",
               .details = "Without it, a progress line shows the stage and the count on stderr while\n"
                          "stderr is a terminal.",
               .modes = kRun},
              {.name = "compare",
               .help = "compare two data documents instead of a run",
               .details = "Prints the records added, removed and changed, per category, with each\n"
                          "changed field's old and new value.",
               .modes = kCompare},
              {.name = "match",
               .valueName = "HOW",
               .help = "pair records by key (the default) or by number",
               .details = "By key an inserted record is one addition; by number (table position) the\n"
                          "records after it show as changed.",
               .completion = Completion::Choices,
               .choices = "key number",
               .modes = kCompare},
              {.name = "format",
               .valueName = "FORMAT",
               .help = "report as text (default), markdown, json or csv",
               .completion = Completion::Choices,
               .choices = "text markdown json csv",
               .modes = kCompare},
              {.name = "find-addresses",
               .help = "find the tables in GV.exe, print an Address.ini",
               .details = "Each address comes after a \";\" comment with its evidence: records found,\n"
                          "names readable, fields in range, runners-up. Exit 0 only when all six\n"
                          "tables were found with high confidence. docs/finding-addresses.md tells\n"
                          "how it decides.",
               .modes = kFindAddresses},
              {.name = "write-config",
               .valueName = "DIR",
               .help = "write that configuration into DIR",
               .details = "Address.ini, and Effect.ini and AITypes.ini with placeholder names; a file\n"
                          "that exists already is kept, never replaced.",
               .completion = Completion::Directory,
               .modes = kFindAddresses},
              {.name = "check",
               .help = "judge the tables at the configured addresses",
               .details = "One line per table with its evidence and verdict, and the address the\n"
                          "finder proposes for a table that does not look right. Writes nothing.",
               .modes = kCheck},
              {.name = "generate",
               .valueName = "KIND",
               .help = "print the man page or a completion script",
               .details = "KIND is man, bash, zsh or fish.",
               .completion = Completion::Choices,
               .choices = kGeneratedKinds,
               .modes = kGenerate},
              {.name = "help",
               .shortName = 'h',
               .help = "show the help text",
               .modes = kEveryMode,
               .answersAtOnce = true},
              {.name = "version",
               .shortName = 'V',
               .help = "show the version",
               .modes = kEveryMode,
               .answersAtOnce = true},
          },
      .sections =
          {
              {.title = "Pictures that fail",
               .text = "When a monster or boss picture cannot be made, the run asks whether to stop.\n"
                       "On a terminal the answer is y or n (the end of input answers No); otherwise\n"
                       "it is No, as with --keep-going. A line after the answer says why."},
              {.title = "Messages",
               .text = "Errors and picture questions go to stderr as \"Error: <message>\", followed\n"
                       "where known by one indented line naming the file and the reason. \"Done\"\n"
                       "goes to stdout (to stderr with --json -), then one line on stderr with the\n"
                       "files written, the output folder, the pictures not made and the seconds.",
               .inHelp = false},
              {.title = "Exit status",
               .text = "0 when the run ends with Done, 1 when it ends with an error or is stopped,\n"
                       "2 for a configuration or usage error. With --compare: 0 no differences,\n"
                       "1 differences, 2 a document cannot be read. With --find-addresses: 0 when\n"
                       "all six tables were found with high confidence, 1 otherwise. With --check:\n"
                       "0 when every table looks right, 1 when one does not, 2 for a configuration\n"
                       "a run refuses."},
              {.title = "Files",
               .text = "The data document's format (--json) and its JSON Schema:\n"
                       "  " GVDE_DOC_DIR "/docs/data-format.md\n"
                       "  " GVDE_DOC_DIR "/docs/gvde-data.schema.json"},
              {.title = "Example",
               .text = "  gvde-demogen demo && cd demo && gvde-cli --keep-going game/ site/",
               .inHelp = false},
              {.title = "See also", .text = "gvde-demogen(1)", .inHelp = false},
          },
  };
  return command;
}

std::string ReadRunArguments(const ParsedArguments& parsed, RunArguments& run) {
  run.technical = parsed.Has("technical");
  run.quiet = parsed.Has("quiet");
  if (parsed.Has("keep-going")) run.answer = ImageErrorAnswer::KeepGoing;
  if (parsed.Has("stop-on-image-error")) run.answer = ImageErrorAnswer::Stop;
  run.jsonFile = parsed.Value("json");
  run.csvDir = parsed.Value("csv");
  // Standard output takes one document; the tables are six files.
  if (run.csvDir == "-") return "--csv needs a folder, not - (standard output)";
  run.explorer = parsed.Has("explorer");
  run.configDir = parsed.Value("config");
  run.gameDir = parsed.arguments.at(0);
  run.outputDir = parsed.arguments.at(1);
  if (parsed.Has("jobs")) {
    const std::optional<unsigned> jobs = ParseWholeNumber(parsed.Value("jobs"), 1, kMostPictureJobs);
    if (!jobs) return "--jobs needs a number from 1 to " + std::to_string(kMostPictureJobs);
    run.jobs = *jobs;
  }
  return {};
}

bool IsComparison(const ParsedArguments& parsed) { return parsed.Has("compare"); }

std::optional<SetupArguments> ReadSetupArguments(const ParsedArguments& parsed) {
  if (!parsed.Has("find-addresses") && !parsed.Has("check")) return std::nullopt;
  return SetupArguments{parsed.Has("check"), parsed.Value("config"), parsed.Value("write-config"),
                        parsed.arguments.at(0)};
}

CompareArguments ReadCompareArguments(const ParsedArguments& parsed) {
  CompareArguments compare;
  compare.oldDocument = parsed.arguments.at(0);
  compare.newDocument = parsed.arguments.at(1);
  // The table admits only the names these know.
  compare.options.match = MatchByName(parsed.Has("match") ? parsed.Value("match") : "key").value_or(MatchBy::Key);
  compare.options.format =
      ReportFormatName(parsed.Has("format") ? parsed.Value("format") : "text").value_or(ReportFormat::Text);
  return compare;
}

}  // namespace gvde
