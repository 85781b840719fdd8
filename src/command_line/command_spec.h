// A program's command line as one table: its options, its modes (what it does and which
// arguments that takes), and the texts around them. The parser, --help, the man page and the
// shell completions are all made from it, so they cannot disagree.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace gvde {

// What a shell offers for an option's value or an argument.
enum class Completion { Nothing, File, Directory, Choices };

// Bit i stands for CommandSpec::modes[i].
using ModeSet = std::uint32_t;
inline constexpr ModeSet kEveryMode = ~ModeSet{0};

struct OptionSpec {
  std::string_view name = {};       // the long name, without "--"
  char shortName = 0;               // 0: none
  std::string_view valueName = {};  // "FILE", "N"; empty: a flag
  std::string_view help = {};       // one short line for --help and the completions
  std::string_view details = {};    // more for the man page; lines of at most 78 characters
  Completion completion = Completion::Nothing;
  std::string_view choices = {};  // the values, separated by spaces: checked and completed
  ModeSet modes = 1;              // the modes it belongs to (the default mode alone unless set)
  std::string_view group = {};    // options of one non-empty group exclude each other
  bool repeatable = false;        // a value option given again adds a value; else it is an error
  bool answersAtOnce = false;     // --help, --version: acted on when met, the rest left unread
};

struct ArgumentSpec {
  std::string_view name = {};  // "GAME_DIR"
  Completion completion = Completion::Nothing;
};

// What the program does; the default mode comes first and has no option.
struct ModeSpec {
  std::string_view option = {};  // the option that selects it; empty for the default mode
  std::vector<ArgumentSpec> arguments = {};
};

// Text after the options: paragraphs of lines of at most 78 characters, an empty line
// between paragraphs.
struct TextSection {
  std::string_view title = {};
  std::string_view text = {};
  bool inHelp = true;  // false: the man page only
};

struct CommandSpec {
  std::string_view name = {};
  std::string_view version = {};
  std::string_view summary = {};      // the man page's one line under NAME
  std::string_view description = {};  // lines of at most 78 characters
  std::vector<ModeSpec> modes = {};
  std::vector<OptionSpec> options = {};
  std::vector<TextSection> sections = {};
};

}  // namespace gvde
