// How one step of a run ended: the run goes on, or it ends here with a message, or quietly
// because the person at the screen chose to stop at a question.
#pragma once

#include <string>
#include <utility>

namespace gvde {

class [[nodiscard]] Step {
 public:
  static Step Next() { return Step(Kind::Next, {}, {}); }
  // `detail` names the file and the system's reason where they are known; front ends that
  // show only the message leave it out.
  static Step Fail(std::string message, std::string detail = {}) {
    return Step(Kind::Failed, std::move(message), std::move(detail));
  }
  static Step Stop() { return Step(Kind::Stopped, {}, {}); }

  // True when the run goes on.
  explicit operator bool() const { return kind_ == Kind::Next; }
  bool Failed() const { return kind_ == Kind::Failed; }
  // The message to show when the step failed.
  const std::string& Message() const { return message_; }
  const std::string& Detail() const { return detail_; }

 private:
  enum class Kind { Next, Failed, Stopped };
  Step(Kind kind, std::string message, std::string detail)
      : kind_(kind), message_(std::move(message)), detail_(std::move(detail)) {}

  Kind kind_;
  std::string message_;
  std::string detail_;
};

}  // namespace gvde
