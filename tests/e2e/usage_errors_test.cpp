// gvde-cli and gvde-demogen on lines they cannot use: two lines on stderr (the problem, then
// where to read more), nothing on stdout, exit status 2, nothing written. And the lines that
// ask for the help or the version.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_runner.h"
#include "testkit/temp_dir.h"

namespace gvde::testkit {
namespace {

struct UsageCase {
  std::vector<std::string> args;
  std::string problem;
};

void ExpectUsageErrors(const std::string& program, const std::string& name,
                       const std::vector<UsageCase>& cases) {
  TempDir dir;
  for (const UsageCase& c : cases) {
    const CommandResult r = RunProgram(dir.path(), program, c.args);
    EXPECT_EQ(r.err, name + ": " + c.problem + "\nTry '" + name + " --help'\n");
    EXPECT_EQ(r.out, "") << c.problem;
    EXPECT_EQ(r.exitCode, 2) << c.problem;
  }
  EXPECT_EQ(ListFiles(dir.path()), std::vector<std::string>{});
}

TEST(UsageErrors, GvdeCli) {
  ExpectUsageErrors(
      GVDE_CLI_PATH, "gvde-cli",
      {
          {{"--keep-goin", "a", "b"}, "unknown option --keep-goin (did you mean --keep-going?)"},
          {{"--tecnical", "a", "b"}, "unknown option --tecnical (did you mean --technical?)"},
          {{"--bogus", "a", "b"}, "unknown option --bogus"},
          {{"-x", "a", "b"}, "unknown option -x"},
          {{}, "GAME_DIR and OUTPUT_DIR are required"},
          {{"a"}, "OUTPUT_DIR is required"},
          {{"a", "b", "c"}, "unexpected argument c"},
          {{"--keep-going", "--stop-on-image-error", "a", "b"},
           "--keep-going and --stop-on-image-error exclude each other"},
          {{"--stop-on-image-error", "--keep-going", "a", "b"},
           "--keep-going and --stop-on-image-error exclude each other"},
          {{"--json", "x.json", "--json=y.json", "a", "b"}, "--json given twice"},
          {{"-c", "cfg", "--config", "cfg", "a", "b"}, "--config given twice"},
          {{"a", "b", "--json"}, "--json needs a value"},
          {{"--config=", "a", "b"}, "--config needs a value"},
          {{"--quiet=no", "a", "b"}, "--quiet takes no value"},
          {{"-j", "0", "a", "b"}, "--jobs needs a number from 1 to 64"},
          {{"-j65", "a", "b"}, "--jobs needs a number from 1 to 64"},
          {{"--jobs", "4x", "a", "b"}, "--jobs needs a number from 1 to 64"},
          {{"--jobs", "-1", "a", "b"}, "--jobs needs a number from 1 to 64"},
          {{"--generate", "pdf"}, "--generate needs man, bash, zsh or fish"},
          {{"--generate", "man", "--technical"}, "--technical cannot be used with --generate"},
          {{"--generate", "man", "a"}, "unexpected argument a"},
      });
}

TEST(UsageErrors, GvdeDemogen) {
  ExpectUsageErrors(GVDE_DEMOGEN_PATH, "gvde-demogen",
                    {
                        {{}, "OUTDIR is required"},
                        {{"a", "b"}, "unexpected argument b"},
                        {{"--scal", "2", "a"}, "unknown option --scal (did you mean --scale?)"},
                        {{"--scale", "0", "a"}, "--scale needs a number from 1 to 1000"},
                        {{"--scale", "2", "--scale", "3", "a"}, "--scale given twice"},
                    });
}

void ExpectLinesFit(const std::string& text) {
  for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    EXPECT_LE(end - start, 80u) << text.substr(start, end - start);
  }
}

TEST(UsageErrors, HelpAndVersionWithTheirShortNames) {
  TempDir dir;
  const CommandResult help = RunProgram(dir.path(), GVDE_CLI_PATH, {"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_TRUE(help.out.starts_with("Usage: gvde-cli [OPTIONS] [--] GAME_DIR OUTPUT_DIR\n")) << help.out;
  EXPECT_NE(help.out.find(GVDE_DOC_DIR "/docs/data-format.md\n"), std::string::npos) << help.out;
  ExpectLinesFit(help.out);
  ExpectLinesFit(RunProgram(dir.path(), GVDE_DEMOGEN_PATH, {"--help"}).out);
  EXPECT_EQ(RunProgram(dir.path(), GVDE_CLI_PATH, {"-h"}).out, help.out);
  // Both answer at once: the rest of the line is not read.
  EXPECT_EQ(RunProgram(dir.path(), GVDE_CLI_PATH, {"-q", "--help", "--bogus"}).out, help.out);
  for (const char* version : {"--version", "-V"}) {
    const CommandResult r = RunProgram(dir.path(), GVDE_CLI_PATH, {version});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "gvde-cli 1.1.4\n");
  }
  EXPECT_EQ(RunProgram(dir.path(), GVDE_DEMOGEN_PATH, {"-V"}).out, "gvde-demogen 1.1.4\n");
  EXPECT_EQ(ListFiles(dir.path()), std::vector<std::string>{});
}

}  // namespace
}  // namespace gvde::testkit
