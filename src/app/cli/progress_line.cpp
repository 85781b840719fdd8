#include "app/cli/progress_line.h"

namespace gvde {

void ProgressLine::Show(std::string_view stage, std::uint32_t done, std::uint32_t total) {
  const std::uint64_t percent = total == 0 ? 0 : std::uint64_t{done} * 100 / total;
  if (!shown_.empty() && stage == stage_ && percent == percent_ && done != total) return;
  stage_ = stage;
  percent_ = percent;
  std::string text(stage);
  if (total != 0) text += " " + std::to_string(done) + "/" + std::to_string(total);
  Replace(text);
}

void ProgressLine::Clear() {
  if (shown_.empty()) return;
  Replace({});
}

// Carriage return and spaces only, no terminal control sequences, so any terminal shows it.
void ProgressLine::Replace(const std::string& text) {
  std::string line = "\r" + text;
  if (text.size() < shown_.size()) line += std::string(shown_.size() - text.size(), ' ');
  if (text.size() < shown_.size()) line += "\r" + text;
  std::fputs(line.c_str(), terminal_);
  std::fflush(terminal_);
  shown_ = text;
}

}  // namespace gvde
