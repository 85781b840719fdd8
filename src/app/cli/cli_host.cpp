#include "app/cli/cli_host.h"

namespace gvde {

void CliHost::ShowError(const std::string& message) {
  ClearProgress();
  std::fprintf(err_, "Error: %s\n", message.c_str());
  std::fflush(err_);
}

bool CliHost::AskExit(const std::string& question) {
  ClearProgress();
  bool yes = false;
  if (answer_ == ImageErrorAnswer::Ask && interactive_) {
    std::fprintf(err_, "Error: %s [y/N] ", question.c_str());
    std::fflush(err_);
    char line[64] = {};
    if (std::fgets(line, sizeof line, in_) != nullptr) yes = line[0] == 'y' || line[0] == 'Y';
    return yes;
  }
  yes = answer_ == ImageErrorAnswer::Stop;
  std::fprintf(err_, "Error: %s %s\n", question.c_str(), yes ? "yes" : "no");
  std::fflush(err_);
  return yes;
}

void CliHost::ShowDone() {
  ClearProgress();
  std::fprintf(out_, "Done\n");
  std::fflush(out_);
}

void CliHost::ShowProgress(std::string_view stage, std::uint32_t done, std::uint32_t total) {
  if (progress_) progress_->Show(stage, done, total);
}

void CliHost::ClearProgress() {
  if (progress_) progress_->Clear();
}

}  // namespace gvde
