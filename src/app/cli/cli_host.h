// The terminal's side of a run: error boxes become "Error: ..." lines on stderr, each followed
// by an indented line with the failure's detail where one is known; "Done" goes to stdout, and
// the "... Exit?" question is answered by flag or by the user (end of input answers No), its
// detail line, where there is one, after the answer. After "Done" one line on stderr tells what
// the run wrote and how long it took.
// With a progress line (stderr a terminal), the stage and count show on stderr meanwhile.
#pragma once

#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>

#include "app/cli/progress_line.h"
#include "site/host.h"

namespace gvde {

enum class ImageErrorAnswer { Ask, KeepGoing, Stop };

class CliHost final : public Host {
 public:
  // The run's time is counted from here.
  CliHost(ImageErrorAnswer answer, std::FILE* out, std::FILE* err, std::FILE* in, bool interactive,
          bool showProgress = false)
      : answer_(answer), out_(out), err_(err), in_(in), interactive_(interactive) {
    if (showProgress) progress_.emplace(err);
  }

  void ShowError(const std::string& message, const std::string& detail) override;
  bool AskExit(const std::string& question, const std::string& detail) override;
  void ShowDone() override;
  void ShowSummary(const RunSummary& summary) override;
  // "Warning: <message>; <hint> tells more", the hint being the command that checks the tables.
  void ShowWarning(const std::string& message) override;
  void SetCheckCommand(std::string command) { checkCommand_ = std::move(command); }
  void ShowProgress(std::string_view stage, std::uint32_t done, std::uint32_t total) override;

 private:
  void ClearProgress();
  // Shows the question and takes the answer by flag or from the user.
  bool Answer(const std::string& question);

  ImageErrorAnswer answer_;
  std::FILE* out_;
  std::FILE* err_;
  std::FILE* in_;
  bool interactive_;
  std::optional<ProgressLine> progress_;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::string checkCommand_;
};

// The line after "Done": "Wrote 1513 files (1.0 MB) to site/ in 0.31 s; 6 pictures could not
// be made".
std::string SummaryLine(const RunSummary& summary, double seconds);

}  // namespace gvde
