// Check results of one driver run: each failed check prints one "FAIL" line.
#pragma once

#include <string>
#include <utility>

namespace gui {

class Report {
 public:
  explicit Report(std::string name) : name_(std::move(name)) {}

  // Returns `ok` so that a caller can stop when a check it depends on failed.
  bool Check(bool ok, const std::string& what);
  bool Equal(const std::string& actual, const std::string& expected, const std::string& what);
  bool Equal(long long actual, long long expected, const std::string& what);
  void Note(const std::string& text);

  int failures() const { return failures_; }
  // Prints the summary line; the driver's exit status.
  int Finish() const;

 private:
  std::string name_;
  int checks_ = 0;
  int failures_ = 0;
};

}  // namespace gui
