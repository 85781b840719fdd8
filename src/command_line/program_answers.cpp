#include "command_line/program_answers.h"

#include <string>

#include "command_line/generated_texts.h"

namespace gvde {

int ReportUsageError(const CommandSpec& command, std::string_view problem, std::FILE* err) {
  const std::string name(command.name);
  std::fprintf(err, "%s: %.*s\nTry '%s --help'\n", name.c_str(), static_cast<int>(problem.size()),
               problem.data(), name.c_str());
  std::fflush(err);
  return kExitUsage;
}

std::optional<int> AnswerWithoutRunning(const CommandSpec& command, const ParseResult& result, std::FILE* out,
                                        std::FILE* err) {
  if (!result.problem.empty()) return ReportUsageError(command, result.problem, err);
  const ParsedArguments& parsed = result.parsed;
  std::string text;
  if (parsed.answeredAtOnce && parsed.answeredAtOnce->name == "help") {
    text = HelpText(command);
  } else if (parsed.answeredAtOnce && parsed.answeredAtOnce->name == "version") {
    text = std::string(command.name) + " " + std::string(command.version) + "\n";
  } else if (parsed.Has("generate")) {
    text = GeneratedText(command, parsed.Value("generate"));
  } else {
    return std::nullopt;
  }
  std::fputs(text.c_str(), out);
  return std::fflush(out) == 0 && !std::ferror(out) ? 0 : 1;
}

}  // namespace gvde
