#include "gui_report.h"

#include <cstdio>

namespace gui {

bool Report::Check(bool ok, const std::string& what) {
  ++checks_;
  if (!ok) {
    ++failures_;
    std::printf("FAIL %s: %s\n", name_.c_str(), what.c_str());
    std::fflush(stdout);
  }
  return ok;
}

bool Report::Equal(const std::string& actual, const std::string& expected, const std::string& what) {
  return Check(actual == expected, what + ": got \"" + actual + "\", expected \"" + expected + "\"");
}

bool Report::Equal(long long actual, long long expected, const std::string& what) {
  return Check(actual == expected,
               what + ": got " + std::to_string(actual) + ", expected " + std::to_string(expected));
}

void Report::Note(const std::string& text) {
  std::printf("     %s: %s\n", name_.c_str(), text.c_str());
  std::fflush(stdout);
}

int Report::Finish() const {
  std::printf("%s %s: %d checks, %d failed\n", failures_ == 0 ? "PASS" : "FAIL", name_.c_str(), checks_, failures_);
  std::fflush(stdout);
  return failures_ == 0 ? 0 : 1;
}

}  // namespace gui
