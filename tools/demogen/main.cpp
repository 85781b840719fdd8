// gvde-demogen: writes a synthetic Grimveil game folder for the demo, the tests and the
// benchmark: OUTDIR/game/ (GV.exe, gvdata.mor, kelddat.mpq) and the three .ini files.
// --patched writes the next version of the same game, --shape pages a game whose pages outweigh
// its pictures (tools/demogame/demo_game.h).
#include <cstdio>
#include <optional>
#include <string>

#include "command_line/argument_parser.h"
#include "command_line/generated_texts.h"
#include "command_line/program_answers.h"
#include "demogame/demo_game.h"
#include "platform/file_system.h"

namespace {

constexpr gvde::ModeSet kWrite = 1 << 0;
constexpr gvde::ModeSet kGenerate = 1 << 1;
constexpr unsigned kMostScale = 1000;

const gvde::CommandSpec& DemogenCommand() {
  using gvde::Completion;
  static const gvde::CommandSpec command{
      .name = "gvde-demogen",
      .version = GVDE_VERSION,
      .summary = "write a synthetic Grimveil game folder to try gvde-cli on",
      .description =
          "Writes a synthetic Grimveil game into OUTDIR, which is created when missing:\n"
          "OUTDIR/game/ holds GV.exe, gvdata.mor and kelddat.mpq, and OUTDIR itself\n"
          "Effect.ini, AITypes.ini and Address.ini, so that gvde-cli runs in OUTDIR.",
      .modes = {{.option = {}, .arguments = {{"OUTDIR", Completion::Directory}}},
                {.option = "generate", .arguments = {}}},
      .options =
          {
              {.name = "scale",
               .valueName = "N",
               .help = "write N times the real game's records (1 to 1000)",
               .details = "The default is 1.",
               .modes = kWrite},
              {.name = "layout",
               .valueName = "LAYOUT",
               .help = "GV.exe's table layout: standard (default) or shuffled",
               .details = "shuffled: the tables in another order at odd offsets, with unrelated bytes,\n"
                          "stray end markers, a decoy item table and a decoy version text between\n"
                          "them, for trying gvde-cli --find-addresses.",
               .completion = Completion::Choices,
               .choices = "standard shuffled",
               .modes = kWrite},
              {.name = "patched",
               .help = "write the next version of the same game",
               .details = "One item's price differs and one unique item is inserted, for trying\n"
                          "gvde-cli --compare on two versions.",
               .modes = kWrite},
              {.name = "shape",
               .valueName = "SHAPE",
               .help = "demo (the default) or pages",
               .details = "pages writes fewer and smaller pictures, so that pages outnumber pictures\n"
                          "2.5 to 1 and hold most of the site's bytes, as in a real game.",
               .completion = Completion::Choices,
               .choices = "demo pages",
               .modes = kWrite},
              {.name = "generate",
               .valueName = "KIND",
               .help = "print the man page or a completion script",
               .details = "KIND is man, bash, zsh or fish.",
               .completion = Completion::Choices,
               .choices = gvde::kGeneratedKinds,
               .modes = kGenerate},
              {.name = "help",
               .shortName = 'h',
               .help = "show the help text",
               .modes = gvde::kEveryMode,
               .answersAtOnce = true},
              {.name = "version",
               .shortName = 'V',
               .help = "show the version",
               .modes = gvde::kEveryMode,
               .answersAtOnce = true},
          },
      .sections =
          {
              {.title = "Example",
               .text = "  gvde-demogen demo && cd demo && gvde-cli --keep-going game/ site/"},
              {.title = "Exit status",
               .text = "0 when the game is written, 1 when it cannot be, 2 for a usage error."},
              {.title = "See also", .text = "gvde-cli(1)", .inHelp = false},
          },
  };
  return command;
}

}  // namespace

int main(int argc, char** argv) {
  const gvde::CommandSpec& command = DemogenCommand();
  const gvde::ParseResult line = gvde::ParseArguments(command, argc, argv);
  if (const std::optional<int> answered = gvde::AnswerWithoutRunning(command, line, stdout, stderr))
    return *answered;
  gvde::demogame::DemoOptions options;
  if (line.parsed.Has("scale")) {
    const std::optional<unsigned> scale = gvde::ParseWholeNumber(line.parsed.Value("scale"), 1, kMostScale);
    if (!scale) {
      return gvde::ReportUsageError(command, "--scale needs a number from 1 to " + std::to_string(kMostScale),
                                    stderr);
    }
    options.scale = *scale;
  }
  options.patched = line.parsed.Has("patched");
  if (line.parsed.Has("shape") && line.parsed.Value("shape") == "pages") options.shape = gvde::demogame::DemoShape::Pages;
  const std::string root = line.parsed.arguments[0];
  if (line.parsed.Has("layout") && line.parsed.Value("layout") == "shuffled") {
    options.layout = gvde::demogame::DemoLayout::Shuffled;
  }
  if (!gvde::IsDirectory(root) && !gvde::MakeDirectory(root)) {
    std::fprintf(stderr, "Cannot create %s\n", root.c_str());
    return 1;
  }
  gvde::demogame::DemoSummary summary;
  if (!gvde::demogame::WriteDemoGame(root, options, &summary)) {
    std::fprintf(stderr, "Cannot write the demo game into %s\n", root.c_str());
    return 1;
  }
  std::printf("%u items, %u uniques, %u monsters, %u bosses, %u prefixes, %u suffixes, %u item pictures\n",
              summary.items, summary.uniques, summary.monsters, summary.bosses, summary.prefixes,
              summary.suffixes, summary.itemPictures);
  return 0;
}
