// The man pages and shell completions the programs print (--generate): bash offers what the
// table says for each kind of word, fish too, zsh reads its script, groff formats the pages
// without a warning.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_runner.h"
#include "testkit/temp_dir.h"

namespace gvde::testkit {
namespace {

class ProgramTexts : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.MakeSubdir("folder");
    ASSERT_TRUE(WriteFileText(dir_.File("data.json"), "{}"));
  }

  // A shell command run in the test folder with `args` as $1...; its stdout, or "failed: ...".
  std::string Shell(const std::string& shell, const std::string& command,
                    std::vector<std::string> args = {}) {
    args.insert(args.begin(), {"-c", command, "shell"});
    const CommandResult r = RunProgram(dir_.path(), shell, args);
    return r.exitCode == 0 ? r.out : "failed: " + r.err;
  }

  static bool Installed(const std::string& program) {
    return std::system(("command -v " + program + " >/dev/null").c_str()) == 0;
  }

  // What bash offers for the last of `words`, the completion called as bash would call it.
  std::string BashOffers(const std::string& program, const std::string& function,
                         const std::vector<std::string>& words) {
    return Shell("bash",
                 "source <(\"" + program +
                     "\" --generate bash) && COMP_WORDS=(\"$@\") && COMP_CWORD=$(($# - 1)) && " + function +
                     " && printf '%s\\n' \"${COMPREPLY[@]}\" | sort",
                 words);
  }

  TempDir dir_;
};

TEST_F(ProgramTexts, BashOffersOptionsValuesAndArguments) {
  const struct {
    std::vector<std::string> words;
    std::string offered;
  } kCases[] = {
      {{"gvde-cli", "--ke"}, "--keep-going\n"},
      {{"gvde-cli", "-c", ""}, "folder\n"},
      {{"gvde-cli", "--json", "d"}, "data.json\n"},
      {{"gvde-cli", "--json", "=", "d"}, "data.json\n"},  // bash splits --json=d at the "="
      {{"gvde-cli", "--generate", ""}, "bash\nfish\nman\nzsh\n"},
      {{"gvde-cli", "--jobs", ""}, "\n"},
      {{"gvde-cli", "--keep-going", ""}, "folder\n"},
      {{"gvde-cli", "--generate", "man", ""}, "\n"},
  };
  for (const auto& c : kCases)
    EXPECT_EQ(BashOffers(GVDE_CLI_PATH, "_gvde_cli", c.words), c.offered) << c.words.back();
  EXPECT_EQ(BashOffers(GVDE_DEMOGEN_PATH, "_gvde_demogen", {"gvde-demogen", "--sc"}), "--scale\n");
}

TEST_F(ProgramTexts, FishOffersAndZshReads) {
  if (!Installed("fish") || !Installed("zsh")) GTEST_SKIP() << "fish or zsh is not installed";
  // fish gives the words after the command to $argv whole, "shell" first.
  const std::string complete = "source (\"$argv[2]\" --generate fish | psub); complete -C $argv[3]";
  EXPECT_EQ(Shell("fish", complete, {GVDE_CLI_PATH, "gvde-cli --ke"}),
            "--keep-going\tanswer No when a monster or boss picture fails\n");
  EXPECT_EQ(Shell("fish", complete, {GVDE_CLI_PATH, "gvde-cli --keep-going "}), "folder/\tDirectory\n");
  for (const char* program : {GVDE_CLI_PATH, GVDE_DEMOGEN_PATH}) {
    EXPECT_EQ(Shell("zsh", "\"$1\" --generate zsh >_completion && zsh -n _completion", {program}), "")
        << program;
  }
}

TEST_F(ProgramTexts, ManPagesFormatWithoutWarnings) {
  if (!Installed("groff")) GTEST_SKIP() << "groff is not installed";
  for (const char* program : {GVDE_CLI_PATH, GVDE_DEMOGEN_PATH}) {
    const std::string page =
        Shell("bash", "\"$1\" --generate man | groff -man -Tutf8 -P-cbou -ww 2>&1", {program});
    EXPECT_NE(page.find("SYNOPSIS"), std::string::npos) << page;
    EXPECT_EQ(page.find("warning"), std::string::npos) << page;
  }
}

}  // namespace
}  // namespace gvde::testkit
