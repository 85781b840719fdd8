// Completion scripts for bash, zsh and fish. Each offers the options, the values an option
// takes (files, folders or its choices) and the arguments of the mode whose option is on the
// line; every argument of a mode completes as its first does.
#include <cstddef>

#include "command_line/generated_texts.h"
#include "command_line/table_queries.h"

namespace gvde {
namespace {

std::string Quoted(std::string_view text, std::string_view quote) {
  std::string quoted = "'";
  for (const char c : text) {
    if (c == '\'') {
      quoted += quote;
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

// Single quotes for POSIX shells (bash, zsh).
std::string ShellQuoted(std::string_view text) { return Quoted(text, "'\\''"); }

// Single quotes for fish, where a backslash escapes a quote or a backslash.
std::string FishQuoted(std::string_view text) {
  std::string escaped;
  for (const char c : text) {
    if (c == '\\') escaped += '\\';
    escaped += c;
  }
  return Quoted(escaped, "\\'");
}

std::string Header(const CommandSpec& command, std::string_view shell) {
  return "# " + std::string(shell) + " completion for " + std::string(command.name) + ", made by " +
         std::string(command.name) + " --generate " + std::string(shell) + "\n";
}

Completion ArgumentCompletion(const ModeSpec& mode) {
  return mode.arguments.empty() ? Completion::Nothing : mode.arguments.front().completion;
}

// "-c|--config" for a case pattern.
std::string BashPattern(const OptionSpec& option) {
  std::string pattern = option.shortName ? std::string("-") + option.shortName + "|" : "";
  return pattern + "--" + std::string(option.name);
}

std::string BashReply(Completion completion, std::string_view choices) {
  switch (completion) {
    case Completion::File:
      return "compopt -o filenames 2>/dev/null; mapfile -t COMPREPLY < <(compgen -f -- \"$cur\")";
    case Completion::Directory:
      return "compopt -o filenames 2>/dev/null; mapfile -t COMPREPLY < <(compgen -d -- \"$cur\")";
    case Completion::Choices:
      return "mapfile -t COMPREPLY < <(compgen -W " + ShellQuoted(choices) + " -- \"$cur\")";
    case Completion::Nothing:
      break;
  }
  return ":";
}

std::string ZshAction(Completion completion, std::string_view choices) {
  switch (completion) {
    case Completion::File:
      return "_files";
    case Completion::Directory:
      return "_files -/";
    case Completion::Choices:
      return "(" + std::string(choices) + ")";
    case Completion::Nothing:
      break;
  }
  return " ";
}

std::string ZshArgumentAction(const ModeSpec& mode) {
  const Completion completion = ArgumentCompletion(mode);
  return completion == Completion::Nothing ? "_message 'no more arguments'" : ZshAction(completion, {});
}

// Brackets and backslashes quoted for a description inside _arguments' brackets.
std::string ZshDescription(std::string_view text) {
  std::string description;
  for (const char c : text) {
    if (c == '[' || c == ']' || c == '\\') description += '\\';
    description += c;
  }
  return description;
}

// "-c --config", or "--technical".
std::string ZshNames(const OptionSpec& option) {
  const std::string longName = "--" + std::string(option.name);
  return option.shortName ? std::string("-") + option.shortName + " " + longName : longName;
}

// One _arguments entry: what it excludes, its names, its description and its value.
std::string ZshSpec(const CommandSpec& command, const OptionSpec& option) {
  std::string excluded = option.answersAtOnce ? "- *" : option.shortName ? ZshNames(option) : "";
  for (const OptionSpec& other : command.options) {
    if (option.group.empty() || other.group != option.group || &other == &option) continue;
    excluded += (excluded.empty() ? "" : " ") + ZshNames(other);
  }
  const std::string before = (excluded.empty() ? "" : "(" + excluded + ")") + (option.repeatable ? "*" : "");
  const bool hasValue = !option.valueName.empty();
  std::string after = "[" + ZshDescription(option.help) + "]";
  if (hasValue) {
    after += ":" + std::string(option.valueName) + ":" + ZshAction(option.completion, option.choices);
  }
  const std::string longName = "--" + std::string(option.name) + (hasValue ? "=" : "");
  if (!option.shortName) return ShellQuoted(before + longName + after);
  const std::string shortName = "-" + std::string(1, option.shortName) + (hasValue ? "+" : "");
  return (before.empty() ? "" : ShellQuoted(before)) + "{" + shortName + "," + longName + "}" +
         ShellQuoted(after);
}

std::string FishCondition(const CommandSpec& command, std::size_t mode) {
  std::string condition;
  for (std::size_t other = 1; other < command.modes.size(); ++other) {
    if (other != mode && mode != 0) continue;
    const OptionSpec* selector = FindOption(command, command.modes[other].option);
    if (!selector) continue;
    if (!condition.empty()) condition += "; and ";
    if (mode == 0) condition += "not ";
    condition += "__fish_contains_opt ";
    if (selector->shortName) condition += std::string("-s ") + selector->shortName + " ";
    condition += selector->name;
  }
  return condition;
}

std::string FishValues(Completion completion, std::string_view choices) {
  switch (completion) {
    case Completion::File:
      return " -r -F";
    case Completion::Directory:
      return " -x -a '(__fish_complete_directories)'";
    case Completion::Choices:
      return " -x -a " + FishQuoted(choices);
    case Completion::Nothing:
      break;
  }
  return " -x";
}

}  // namespace

std::string BashCompletion(const CommandSpec& command) {
  const std::string function = "_" + ShellName(command.name);
  std::string script = Header(command, "bash") + function + "() {\n";
  script += "  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n";
  // bash splits "--json=FILE" at the "=".
  script += "  if [[ $cur == = ]]; then cur=\n";
  script += "  elif [[ $prev == = && $COMP_CWORD -ge 2 ]]; then prev=${COMP_WORDS[COMP_CWORD-2]}\n  fi\n";
  script += "  case $prev in\n";
  for (const OptionSpec& option : command.options) {
    if (option.valueName.empty()) continue;
    script +=
        "    " + BashPattern(option) + ") " + BashReply(option.completion, option.choices) + "; return ;;\n";
  }
  script += "  esac\n";
  std::string names;
  for (const OptionSpec& option : command.options) {
    names += (names.empty() ? "--" : " --") + std::string(option.name);
    if (option.shortName) names += std::string(" -") + option.shortName;
  }
  script += "  if [[ $cur == -* ]]; then\n    mapfile -t COMPREPLY < <(compgen -W " + ShellQuoted(names) +
            " -- \"$cur\")\n    return\n  fi\n";
  script += "  local word mode=0\n  for word in \"${COMP_WORDS[@]}\"; do\n    case $word in\n";
  for (std::size_t mode = 1; mode < command.modes.size(); ++mode) {
    if (const OptionSpec* selector = FindOption(command, command.modes[mode].option)) {
      script += "      " + BashPattern(*selector) + ") mode=" + std::to_string(mode) + " ;;\n";
    }
  }
  script += "    esac\n  done\n  case $mode in\n";
  for (std::size_t mode = 0; mode < command.modes.size(); ++mode) {
    script += "    " + std::to_string(mode) + ") " + BashReply(ArgumentCompletion(command.modes[mode]), {}) +
              " ;;\n";
  }
  script += "  esac\n}\ncomplete -F " + function + " " + std::string(command.name) + "\n";
  return script;
}

std::string ZshCompletion(const CommandSpec& command) {
  const std::string function = "_" + ShellName(command.name) + "_arguments";
  std::string script = "#compdef " + std::string(command.name) + "\n" + Header(command, "zsh") + "\n";
  script += function + "() {\n";
  for (std::size_t mode = 1; mode < command.modes.size(); ++mode) {
    if (!FindOption(command, command.modes[mode].option)) continue;
    script += mode == 1 ? "  if" : "  elif";
    script += " (( ${words[(I)--" + std::string(command.modes[mode].option) + "(|=*)]} )); then " +
              ZshArgumentAction(command.modes[mode]) + "\n";
  }
  script += (command.modes.size() > 1 ? "  else " : "  ") + ZshArgumentAction(command.modes[0]) +
            (command.modes.size() > 1 ? "\n  fi\n" : "\n") + "}\n\n";
  script += "_arguments -s -S \\\n";
  for (const OptionSpec& option : command.options) script += "  " + ZshSpec(command, option) + " \\\n";
  script += "  '*:argument:" + function + "'\n";
  return script;
}

std::string FishCompletion(const CommandSpec& command) {
  const std::string prefix = "complete -c " + std::string(command.name);
  std::string script = Header(command, "fish") + prefix + " -f\n";
  for (const OptionSpec& option : command.options) {
    std::string line = prefix;
    if (option.shortName) line += std::string(" -s ") + option.shortName;
    line += " -l " + std::string(option.name);
    if (!option.valueName.empty()) line += FishValues(option.completion, option.choices);
    script += line + " -d " + FishQuoted(option.help) + "\n";
  }
  for (std::size_t mode = 0; mode < command.modes.size(); ++mode) {
    const Completion completion = ArgumentCompletion(command.modes[mode]);
    if (completion == Completion::Nothing) continue;
    const std::string condition = FishCondition(command, mode);
    script += prefix + (condition.empty() ? "" : " -n " + FishQuoted(condition));
    script += completion == Completion::File ? " -F\n" : " -a '(__fish_complete_directories)'\n";
  }
  return script;
}

std::string GeneratedText(const CommandSpec& command, std::string_view kind) {
  if (kind == "man") return ManPage(command);
  if (kind == "bash") return BashCompletion(command);
  if (kind == "zsh") return ZshCompletion(command);
  if (kind == "fish") return FishCompletion(command);
  return {};
}

}  // namespace gvde
