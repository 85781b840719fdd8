#include "testkit/recording_host.h"

namespace gvde::testkit {

void RecordingHost::ShowError(const std::string& message, const std::string& detail) {
  calls_.push_back({HostCall::kShowError, message});
  details_.push_back(detail);
}

bool RecordingHost::AskExit(const std::string& question, const std::string& detail) {
  calls_.push_back({HostCall::kAskExit, question});
  questionDetails_.push_back(detail);
  return askExitAnswer_;
}

void RecordingHost::ShowDone() { calls_.push_back({HostCall::kShowDone, std::string()}); }

std::vector<std::string> RecordingHost::Errors() const {
  std::vector<std::string> result;
  for (const HostCall& call : calls_) {
    if (call.kind == HostCall::kShowError) result.push_back(call.text);
  }
  return result;
}

std::vector<std::string> RecordingHost::Questions() const {
  std::vector<std::string> result;
  for (const HostCall& call : calls_) {
    if (call.kind == HostCall::kAskExit) result.push_back(call.text);
  }
  return result;
}

int RecordingHost::DoneCount() const {
  int count = 0;
  for (const HostCall& call : calls_) {
    if (call.kind == HostCall::kShowDone) ++count;
  }
  return count;
}

}  // namespace gvde::testkit
