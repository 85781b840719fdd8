#include "command_line/table_queries.h"

namespace gvde {

bool BelongsTo(const OptionSpec& option, std::size_t mode) {
  return (option.modes & (ModeSet{1} << mode)) != 0;
}

const OptionSpec* FindOption(const CommandSpec& command, std::string_view name) {
  for (const OptionSpec& option : command.options) {
    if (option.name == name) return &option;
  }
  return nullptr;
}

bool HasOwnOptions(const CommandSpec& command, std::size_t mode) {
  for (const OptionSpec& option : command.options) {
    if (BelongsTo(option, mode) && option.modes != kEveryMode && option.name != command.modes[mode].option) {
      return true;
    }
  }
  return false;
}

bool TakesArguments(const CommandSpec& command) {
  for (const ModeSpec& mode : command.modes) {
    if (!mode.arguments.empty()) return true;
  }
  return false;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> words;
  for (std::size_t start = 0;;) {
    const std::size_t end = text.find(separator, start);
    words.push_back(text.substr(start, end - start));
    if (end == std::string_view::npos) return words;
    start = end + 1;
  }
}

std::string ShellName(std::string_view name) {
  std::string shell(name);
  for (char& c : shell) {
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) c = '_';
  }
  return shell;
}

}  // namespace gvde
