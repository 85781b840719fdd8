#include "app/cli/cli_host.h"

#include <cinttypes>

namespace gvde {

namespace {

// Decimal units, as file managers show sizes: "523 kB", "1.0 MB".
std::string SizeText(std::uint64_t bytes) {
  char text[32];
  if (bytes < 1000000) {
    std::snprintf(text, sizeof text, "%" PRIu64 " kB", (bytes + 500) / 1000);
  } else {
    std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / 1e6);
  }
  return text;
}

std::string Counted(std::uint64_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

std::string SummaryLine(const RunSummary& summary, double seconds) {
  char time[32];
  std::snprintf(time, sizeof time, "%.2f s", seconds);
  std::string line = "Wrote " + Counted(summary.files, "file", "files") + " (" + SizeText(summary.bytes) + ") to " +
                     summary.outputDir + " in " + time;
  if (summary.picturesNotMade > 0) {
    line += "; " + Counted(summary.picturesNotMade, "picture", "pictures") + " could not be made";
  }
  return line;
}

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

void CliHost::ShowSummary(const RunSummary& summary) {
  ClearProgress();
  const std::chrono::duration<double> taken = std::chrono::steady_clock::now() - start_;
  std::fprintf(err_, "%s\n", SummaryLine(summary, taken.count()).c_str());
  std::fflush(err_);
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
