// One line of progress on a terminal, rewritten in place and cleared before anything else is
// printed, so that it never mixes with messages.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace gvde {

class ProgressLine {
 public:
  explicit ProgressLine(std::FILE* terminal) : terminal_(terminal) {}

  // "Monsters 57/112", or the stage alone when total is 0. Within a stage the line changes
  // only when the percentage does, so a large run does not flood the terminal.
  void Show(std::string_view stage, std::uint32_t done, std::uint32_t total);
  // Blanks the line and returns to its start; nothing when no line is shown.
  void Clear();

 private:
  void Replace(const std::string& text);

  std::FILE* terminal_;
  std::string shown_;
  std::string stage_;
  std::uint64_t percent_ = 0;
};

}  // namespace gvde
