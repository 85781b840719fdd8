#include "command_line/argument_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gvde {
namespace {

constexpr ModeSet kRun = 1 << 0;
constexpr ModeSet kCompare = 1 << 1;

// Two modes with arguments, a value option with choices, a repeatable one, a group.
const CommandSpec kCommand{
    .name = "tool",
    .modes = {{.arguments = {{"IN"}, {"OUT"}}}, {.option = "compare", .arguments = {{"OLD"}, {"NEW"}}}},
    .options = {{.name = "keep-going", .modes = kRun, .group = "answer"},
                {.name = "stop", .modes = kRun, .group = "answer"},
                {.name = "quiet", .shortName = 'q', .modes = kRun | kCompare},
                {.name = "jobs", .shortName = 'j', .valueName = "N", .modes = kRun},
                {.name = "exclude", .valueName = "NAME", .modes = kRun, .repeatable = true},
                {.name = "compare", .modes = kCompare},
                {.name = "format", .valueName = "KIND", .choices = "text json csv", .modes = kCompare},
                {.name = "help", .shortName = 'h', .modes = kEveryMode, .answersAtOnce = true}},
};

ParseResult Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "tool");
  return ParseArguments(kCommand, static_cast<int>(args.size()), args.data());
}

TEST(ArgumentParserTest, EachProblemIsOneLine) {
  const struct {
    std::vector<const char*> args;
    std::string problem;
  } kCases[] = {
      {{"--keep-goin", "a", "b"}, "unknown option --keep-goin (did you mean --keep-going?)"},
      {{"--jbos=2"}, "unknown option --jbos (did you mean --jobs?)"},
      {{"--kee"}, "unknown option --kee (did you mean --keep-going?)"},  // begins only that name
      {{"-keep-going"}, "unknown option -keep-going (did you mean --keep-going?)"},
      {{"--x", "a", "b"}, "unknown option --x"},
      {{"-qx"}, "unknown option -x"},
      {{"--quiet=yes"}, "--quiet takes no value"},
      {{"a", "b", "--jobs"}, "--jobs needs a value"},
      {{"-j"}, "--jobs needs a value"},
      {{"--jobs=", "a", "b"}, "--jobs needs a value"},
      {{"-j2", "--jobs", "3", "a", "b"}, "--jobs given twice"},
      {{"--stop", "--keep-going"}, "--keep-going and --stop exclude each other"},
      {{"--compare", "--format", "xml"}, "--format needs text, json or csv"},
      {{"--format", "csv", "a", "b"}, "--format needs --compare"},
      {{"--compare", "--jobs", "2", "a", "b"}, "--jobs cannot be used with --compare"},
      {{}, "IN and OUT are required"},
      {{"a"}, "OUT is required"},
      {{"--compare", "a"}, "NEW is required"},
      {{"a", "b", "c"}, "unexpected argument c"},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(Parse(c.args).problem, c.problem) << c.args.size() << " arguments, expected " << c.problem;
  }
}

TEST(ArgumentParserTest, UsableLines) {
  const ParseResult run =
      Parse({"-qj4", "--exclude", "x", "--exclude=y", "--keep-going", "--keep-going", "--", "-in", "--out"});
  ASSERT_EQ(run.problem, "");
  EXPECT_EQ(run.parsed.mode, 0u);
  EXPECT_TRUE(run.parsed.Has("quiet"));
  EXPECT_EQ(run.parsed.Value("jobs"), "4");
  EXPECT_EQ(run.parsed.Values("exclude"), (std::vector<std::string>{"x", "y"}));
  EXPECT_FALSE(run.parsed.Has("stop"));
  EXPECT_EQ(run.parsed.arguments, (std::vector<std::string>{"-in", "--out"}));

  const ParseResult compare = Parse({"old", "--compare", "-", "--format=json", "-q"});
  ASSERT_EQ(compare.problem, "");
  EXPECT_EQ(compare.parsed.mode, 1u);
  EXPECT_EQ(compare.parsed.Value("format"), "json");
  EXPECT_EQ(compare.parsed.arguments, (std::vector<std::string>{"old", "-"}));

  // --help ends the reading: what follows is not looked at, what came before was.
  const ParseResult help = Parse({"-q", "--help", "--bogus"});
  EXPECT_EQ(help.problem, "");
  ASSERT_NE(help.parsed.answeredAtOnce, nullptr);
  EXPECT_EQ(help.parsed.answeredAtOnce->name, "help");
  EXPECT_EQ(Parse({"-qh", "--bogus"}).parsed.answeredAtOnce, help.parsed.answeredAtOnce);
  EXPECT_EQ(Parse({"--bogus", "--help"}).problem, "unknown option --bogus");
}

TEST(ArgumentParserTest, WholeNumbers) {
  EXPECT_EQ(ParseWholeNumber("1", 1, 64), 1u);
  EXPECT_EQ(ParseWholeNumber("064", 1, 64), 64u);
  for (const char* text : {"", "0", "65", "-1", "+1", "4x", " 4", "99999999999999999999999"}) {
    EXPECT_EQ(ParseWholeNumber(text, 1, 64), std::nullopt) << text;
  }
}

}  // namespace
}  // namespace gvde
