#include "app/cli/cli_host.h"

namespace gvde {

void CliHost::ShowError(const std::string& message, const std::string& detail) {
  ClearProgress();
  std::fprintf(err_, "Error: %s\n", message.c_str());
  if (!detail.empty()) std::fprintf(err_, "  %s\n", detail.c_str());
  std::fflush(err_);
}

bool CliHost::AskExit(const std::string& question, const std::string& detail) {
  ClearProgress();
  const bool yes = Answer(question);
  // The detail goes under the question's line, as under an error's.
  if (!detail.empty()) std::fprintf(err_, "  %s\n", detail.c_str());
  std::fflush(err_);
  return yes;
}

bool CliHost::Answer(const std::string& question) {
  if (answer_ == ImageErrorAnswer::Ask && interactive_) {
    std::fprintf(err_, "Error: %s [y/N] ", question.c_str());
    std::fflush(err_);
    const int first = std::fgetc(in_);
    if (first == EOF) {
      // End of input answers No; the prompt's line still ends.
      std::fputc('\n', err_);
      return false;
    }
    // The rest of the line belongs to this answer, not to the next question.
    for (int c = first; c != '\n' && c != EOF;) c = std::fgetc(in_);
    return first == 'y' || first == 'Y';
  }
  const bool yes = answer_ == ImageErrorAnswer::Stop;
  std::fprintf(err_, "Error: %s %s\n", question.c_str(), yes ? "yes" : "no");
  return yes;
}

void CliHost::ShowDone() {
  ClearProgress();
  std::fprintf(out_, "Done\n");
  std::fflush(out_);
}

void CliHost::ShowWarning(const std::string& message) {
  ClearProgress();
  std::fprintf(err_, "Warning: %s", message.c_str());
  if (!checkCommand_.empty()) std::fprintf(err_, "; %s tells more", checkCommand_.c_str());
  std::fputc('\n', err_);
  std::fflush(err_);
}

void CliHost::ShowProgress(std::string_view stage, std::uint32_t done, std::uint32_t total) {
  if (progress_) progress_->Show(stage, done, total);
}

void CliHost::ClearProgress() {
  if (progress_) progress_->Clear();
}

}  // namespace gvde
