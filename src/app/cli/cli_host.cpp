#include "app/cli/cli_host.h"

namespace gvde {

void CliHost::ShowError(const std::string& message, const std::string& detail) {
  std::fprintf(err_, "Error: %s\n", message.c_str());
  if (!detail.empty()) std::fprintf(err_, "  %s\n", detail.c_str());
  std::fflush(err_);
}

bool CliHost::AskExit(const std::string& question) {
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
  std::fprintf(out_, "Done\n");
  std::fflush(out_);
}

}  // namespace gvde
