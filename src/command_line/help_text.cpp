// --help: the usage lines, the description, one line per option and the sections.
#include <algorithm>
#include <cstddef>

#include "command_line/generated_texts.h"
#include "command_line/table_queries.h"

namespace gvde {
namespace {

std::string UsageLine(const CommandSpec& command, std::size_t mode) {
  const ModeSpec& modeSpec = command.modes[mode];
  std::string line(command.name);
  if (const OptionSpec* selector = FindOption(command, modeSpec.option)) {
    line += " --" + std::string(selector->name);
    if (!selector->valueName.empty()) line += " " + std::string(selector->valueName);
  }
  if (HasOwnOptions(command, mode)) line += " [OPTIONS]";
  if (!modeSpec.arguments.empty()) line += " [--]";
  for (const ArgumentSpec& argument : modeSpec.arguments) line += " " + std::string(argument.name);
  return line;
}

// "  -c, --config DIR" or "      --technical".
std::string OptionColumn(const OptionSpec& option) {
  std::string column = option.shortName ? std::string("  -") + option.shortName + ", " : std::string(6, ' ');
  column += "--" + std::string(option.name);
  if (!option.valueName.empty()) column += " " + std::string(option.valueName);
  return column;
}

std::string Indented(std::string_view text) {
  std::string indented;
  for (const std::string_view line : Split(text, '\n')) {
    indented += line.empty() ? "\n" : "  " + std::string(line) + "\n";
  }
  return indented;
}

}  // namespace

std::string HelpText(const CommandSpec& command) {
  std::string text;
  for (std::size_t mode = 0; mode < command.modes.size(); ++mode) {
    text += (mode == 0 ? "Usage: " : "       ") + UsageLine(command, mode) + "\n";
  }
  text += "\n" + std::string(command.description) + "\n\nOptions:\n";
  std::size_t width = 8;  // "      --"
  for (const OptionSpec& option : command.options) width = std::max(width, OptionColumn(option).size());
  const auto entry = [&](std::string column, std::string_view help) {
    column.resize(width + 2, ' ');
    text += column + std::string(help) + "\n";
  };
  for (const OptionSpec& option : command.options) entry(OptionColumn(option), option.help);
  if (TakesArguments(command)) entry("      --", "end of the options: the rest are arguments");
  for (const TextSection& section : command.sections) {
    if (section.inHelp) text += "\n" + std::string(section.title) + ":\n" + Indented(section.text);
  }
  return text;
}

}  // namespace gvde
