// The man page in roff with the man macros: NAME, SYNOPSIS, DESCRIPTION, OPTIONS, then the
// command's sections.
#include <cstddef>
#include <vector>

#include "command_line/generated_texts.h"
#include "command_line/table_queries.h"

namespace gvde {
namespace {

// Backslashes and minus signs escaped, so that options copied from the page work.
std::string Escaped(std::string_view text) {
  std::string escaped;
  for (const char c : text) {
    if (c == '\\') {
      escaped += "\\e";
    } else if (c == '-') {
      escaped += "\\-";
    } else {
      escaped += c;
    }
  }
  return escaped;
}

std::string Bold(std::string_view text) { return "\\fB" + Escaped(text) + "\\fR"; }
std::string Italic(std::string_view text) { return "\\fI" + Escaped(text) + "\\fR"; }

// Lines filled by the formatter, except that a line beginning with a space stays a line of
// its own (a path, an example); an empty line starts a new paragraph, and a line that would
// read as a request is kept as text.
std::string Paragraphs(std::string_view text) {
  std::string roff;
  for (const std::string_view line : Split(text, '\n')) {
    if (line.empty()) {
      roff += ".PP\n";
    } else if (line[0] == ' ') {
      roff += Escaped(line) + "\n.br\n";
    } else {
      roff += (line[0] == '.' || line[0] == '\'' ? "\\&" : "") + Escaped(line) + "\n";
    }
  }
  return roff;
}

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

std::string Synopsis(const CommandSpec& command, std::size_t mode) {
  const ModeSpec& modeSpec = command.modes[mode];
  std::vector<std::string> parts;
  if (const OptionSpec* selector = FindOption(command, modeSpec.option)) {
    parts.push_back(Bold("--" + std::string(selector->name)));
    if (!selector->valueName.empty()) parts.push_back(Italic(selector->valueName));
  }
  if (HasOwnOptions(command, mode)) parts.push_back("[" + Italic("OPTIONS") + "]");
  if (!modeSpec.arguments.empty()) parts.push_back("[" + Bold("--") + "]");
  for (const ArgumentSpec& argument : modeSpec.arguments) parts.push_back(Italic(argument.name));
  std::string line = ".B " + Escaped(command.name) + "\n";
  for (std::size_t i = 0; i < parts.size(); ++i) line += (i == 0 ? "" : " ") + parts[i];
  return line + "\n.br\n";
}

std::string OptionEntry(const OptionSpec& option) {
  std::string entry = ".TP\n";
  if (option.shortName) entry += Bold(std::string("-") + option.shortName) + ", ";
  entry += Bold("--" + std::string(option.name));
  if (!option.valueName.empty()) entry += " " + Italic(option.valueName);
  return entry + "\n" + Escaped(option.help) + ".\n" + Paragraphs(option.details);
}

}  // namespace

std::string ManPage(const CommandSpec& command) {
  std::string page = ".TH " + Escaped(Upper(command.name)) + " 1 \"\" \"" + Escaped(command.name) + " " +
                     std::string(command.version) + "\" \"User Commands\"\n";
  // Left-aligned and unhyphenated, so that names and paths stay whole.
  page += ".ad l\n.nh\n";
  page += ".SH NAME\n" + Escaped(command.name) + " \\- " + Escaped(command.summary) + "\n.SH SYNOPSIS\n";
  for (std::size_t mode = 0; mode < command.modes.size(); ++mode) page += Synopsis(command, mode);
  page += ".SH DESCRIPTION\n" + Paragraphs(command.description) + ".SH OPTIONS\n";
  for (const OptionSpec& option : command.options) page += OptionEntry(option);
  if (TakesArguments(command)) {
    page += ".TP\n" + Bold("--") +
            "\nend of the options: the rest are arguments, even those that begin with " + Escaped("-") +
            ".\n";
  }
  for (const TextSection& section : command.sections) {
    page += ".SH " + Escaped(Upper(section.title)) + "\n" + Paragraphs(section.text);
  }
  return page;
}

}  // namespace gvde
