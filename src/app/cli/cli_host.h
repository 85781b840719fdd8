// The terminal's side of a run: error boxes become "Error: ..." lines on stderr, each followed
// by an indented line with the failure's detail where one is known; "Done" goes to stdout, and
// the "... Exit?" question is answered by flag or by the user (end of input answers No).
#pragma once

#include <cstdio>
#include <string>

#include "site/host.h"

namespace gvde {

enum class ImageErrorAnswer { Ask, KeepGoing, Stop };

class CliHost final : public Host {
 public:
  CliHost(ImageErrorAnswer answer, std::FILE* out, std::FILE* err, std::FILE* in, bool interactive)
      : answer_(answer), out_(out), err_(err), in_(in), interactive_(interactive) {}

  void ShowError(const std::string& message, const std::string& detail) override;
  bool AskExit(const std::string& question) override;
  void ShowDone() override;

 private:
  ImageErrorAnswer answer_;
  std::FILE* out_;
  std::FILE* err_;
  std::FILE* in_;
  bool interactive_;
};

}  // namespace gvde
