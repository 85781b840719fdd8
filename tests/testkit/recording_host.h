// A Host for tests: records every call in order and answers AskExit with a set value.
#pragma once

#include <string>
#include <vector>

#include "site/host.h"

namespace gvde::testkit {

struct HostCall {
  enum Kind { kShowError, kAskExit, kShowDone };
  Kind kind;
  std::string text;  // the message or question; empty for ShowDone

  bool operator==(const HostCall&) const = default;
};

class RecordingHost : public Host {
 public:
  explicit RecordingHost(bool askExitAnswer = false) : askExitAnswer_(askExitAnswer) {}

  void ShowError(const std::string& message, const std::string& detail) override;
  bool AskExit(const std::string& question, const std::string& detail) override;
  void ShowDone() override;
  // Kept apart from the calls: it comes with every "Done".
  void ShowSummary(const RunSummary& summary) override { summaries_.push_back(summary); }

  void SetAskExitAnswer(bool answer) { askExitAnswer_ = answer; }

  // Every call so far, in order.
  const std::vector<HostCall>& calls() const { return calls_; }
  // Only the ShowError messages, in order.
  std::vector<std::string> Errors() const;
  // The detail of each ShowError, in order.
  const std::vector<std::string>& ErrorDetails() const { return details_; }
  // Only the AskExit questions, in order, and the detail of each.
  std::vector<std::string> Questions() const;
  const std::vector<std::string>& QuestionDetails() const { return questionDetails_; }
  // Every ShowSummary, in order.
  const std::vector<RunSummary>& Summaries() const { return summaries_; }
  int DoneCount() const;
  void Clear() {
    calls_.clear();
    details_.clear();
    questionDetails_.clear();
    summaries_.clear();
  }

 private:
  bool askExitAnswer_;
  std::vector<HostCall> calls_;
  std::vector<std::string> details_;
  std::vector<std::string> questionDetails_;
  std::vector<RunSummary> summaries_;
};

}  // namespace gvde::testkit
