#include "command_line/argument_parser.h"

#include "command_line/nearest_name.h"
#include "command_line/table_queries.h"

namespace gvde {
namespace {

std::string Dashed(const OptionSpec& option) { return "--" + std::string(option.name); }

bool HasChoice(std::string_view choices, std::string_view value) {
  for (const std::string_view choice : Split(choices, ' ')) {
    if (choice == value) return true;
  }
  return false;
}

// "bash, zsh or fish" from "bash zsh fish".
std::string ChoiceList(std::string_view choices) {
  const std::vector<std::string_view> words = Split(choices, ' ');
  std::string list;
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (i > 0) list += i + 1 == words.size() ? " or " : ", ";
    list += words[i];
  }
  return list;
}

// "B is required", "A and B are required": the arguments from `first` on.
std::string Required(const std::vector<ArgumentSpec>& arguments, std::size_t first) {
  std::string names;
  for (std::size_t i = first; i < arguments.size(); ++i) {
    if (i > first) names += i + 1 == arguments.size() ? " and " : ", ";
    names += arguments[i].name;
  }
  return names + (first + 1 == arguments.size() ? " is required" : " are required");
}

class LineReader {
 public:
  LineReader(const CommandSpec& command, int argc, const char* const* argv)
      : command_(command), argc_(argc), argv_(argv) {}

  ParseResult Read() {
    ParseResult result;
    result.problem = ReadWords();
    if (result.problem.empty() && !parsed_.answeredAtOnce) result.problem = CheckMode();
    result.parsed = std::move(parsed_);
    return result;
  }

 private:
  std::string ReadWords() {
    bool optionsEnded = false;
    for (next_ = 1; next_ < argc_ && !parsed_.answeredAtOnce;) {
      const std::string_view word = argv_[next_++];
      std::string problem;
      if (!optionsEnded && word == "--") {
        optionsEnded = true;
      } else if (optionsEnded || word.size() < 2 || word[0] != '-') {
        parsed_.arguments.emplace_back(word);
      } else if (word[1] == '-') {
        problem = ReadLong(word.substr(2));
      } else {
        problem = ReadShorts(word);
      }
      if (!problem.empty()) return problem;
    }
    return {};
  }

  // "name" or "name=value".
  std::string ReadLong(std::string_view body) {
    const std::size_t equals = body.find('=');
    const std::string_view name = body.substr(0, equals);
    const OptionSpec* option = FindOption(command_, name);
    if (!option) return Unknown("--" + std::string(name), name);
    if (equals == std::string_view::npos) return Take(*option, option->valueName.empty() ? "" : NextWord());
    if (option->valueName.empty()) return Dashed(*option) + " takes no value";
    return Take(*option, std::string(body.substr(equals + 1)));
  }

  // "-q", "-qV", "-j 4", "-j4".
  std::string ReadShorts(std::string_view word) {
    for (std::size_t at = 1; at < word.size() && !parsed_.answeredAtOnce; ++at) {
      const OptionSpec* option = FindShort(word[at]);
      if (!option) return at == 1 ? Unknown(std::string(word), word.substr(1)) : Unknown({'-', word[at]}, {});
      if (option->valueName.empty()) {
        if (std::string problem = Take(*option, ""); !problem.empty()) return problem;
        continue;
      }
      const std::string_view rest = word.substr(at + 1);
      return Take(*option, rest.empty() ? NextWord() : std::string(rest));
    }
    return {};
  }

  std::string NextWord() { return next_ < argc_ ? argv_[next_++] : ""; }

  std::string Take(const OptionSpec& option, std::string value) {
    const bool given = parsed_.Has(option.name);
    if (!option.valueName.empty()) {
      if (value.empty()) return Dashed(option) + " needs a value";
      if (given && !option.repeatable) return Dashed(option) + " given twice";
      if (!option.choices.empty() && !HasChoice(option.choices, value)) {
        return Dashed(option) + " needs " + ChoiceList(option.choices);
      }
    } else if (given) {
      return {};  // a flag again changes nothing
    }
    for (const auto& [other, ignored] : parsed_.given) {
      if (option.group.empty() || other->group != option.group) continue;
      const bool otherFirst = other < &option;  // in the table's order
      return Dashed(otherFirst ? *other : option) + " and " + Dashed(otherFirst ? option : *other) +
             " exclude each other";
    }
    parsed_.given.emplace_back(&option, std::move(value));
    if (option.answersAtOnce) parsed_.answeredAtOnce = &option;
    return {};
  }

  std::string Unknown(const std::string& shown, std::string_view asLongName) const {
    std::vector<std::string_view> names;
    for (const OptionSpec& option : command_.options) names.push_back(option.name);
    const std::optional<std::string_view> meant = NearestName(asLongName, names);
    if (!meant) return "unknown option " + shown;
    return "unknown option " + shown + " (did you mean --" + std::string(*meant) + "?)";
  }

  // The mode whose option is given, every option belonging to it, its arguments all there.
  std::string CheckMode() {
    const OptionSpec* selector = nullptr;
    for (const auto& [option, ignored] : parsed_.given) {
      for (std::size_t mode = 1; mode < command_.modes.size(); ++mode) {
        if (command_.modes[mode].option != option->name) continue;
        if (selector) return Dashed(*selector) + " and " + Dashed(*option) + " exclude each other";
        selector = option;
        parsed_.mode = mode;
      }
    }
    const ModeSpec& mode = command_.modes[parsed_.mode];
    for (const auto& [option, ignored] : parsed_.given) {
      if (BelongsTo(*option, parsed_.mode)) continue;
      if (selector) return Dashed(*option) + " cannot be used with " + Dashed(*selector);
      for (std::size_t other = 1; other < command_.modes.size(); ++other) {
        if (BelongsTo(*option, other)) return Dashed(*option) + " needs --" + std::string(command_.modes[other].option);
      }
    }
    const std::size_t count = parsed_.arguments.size();
    if (count > mode.arguments.size()) return "unexpected argument " + parsed_.arguments[mode.arguments.size()];
    if (count < mode.arguments.size()) return Required(mode.arguments, count);
    return {};
  }

  const OptionSpec* FindShort(char name) const {
    for (const OptionSpec& option : command_.options) {
      if (option.shortName != 0 && option.shortName == name) return &option;
    }
    return nullptr;
  }

  const CommandSpec& command_;
  int argc_;
  const char* const* argv_;
  int next_ = 1;
  ParsedArguments parsed_;
};

}  // namespace

bool ParsedArguments::Has(std::string_view name) const {
  for (const auto& [option, value] : given) {
    if (option->name == name) return true;
  }
  return false;
}

std::string ParsedArguments::Value(std::string_view name) const {
  const std::vector<std::string> values = Values(name);
  return values.empty() ? std::string() : values.back();
}

std::vector<std::string> ParsedArguments::Values(std::string_view name) const {
  std::vector<std::string> values;
  for (const auto& [option, value] : given) {
    if (option->name == name) values.push_back(value);
  }
  return values;
}

ParseResult ParseArguments(const CommandSpec& command, int argc, const char* const* argv) {
  return LineReader(command, argc, argv).Read();
}

std::optional<unsigned> ParseWholeNumber(std::string_view text, unsigned least, unsigned most) {
  if (text.empty()) return std::nullopt;
  unsigned long long number = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    number = number * 10 + static_cast<unsigned>(c - '0');
    if (number > most) return std::nullopt;
  }
  if (number < least) return std::nullopt;
  return static_cast<unsigned>(number);
}

}  // namespace gvde
