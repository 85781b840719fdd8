// How one step of a run ended: the run goes on, or it ends here with a message, or quietly
// because the person at the screen chose to stop at a question.
#pragma once

#include <string>
#include <utility>

namespace gvde {

class [[nodiscard]] Step {
 public:
  static Step Next() { return Step(Kind::Next, {}); }
  static Step Fail(std::string message) { return Step(Kind::Failed, std::move(message)); }
  static Step Stop() { return Step(Kind::Stopped, {}); }

  // True when the run goes on.
  explicit operator bool() const { return kind_ == Kind::Next; }
  bool Failed() const { return kind_ == Kind::Failed; }
  // The message to show when the step failed.
  const std::string& Message() const { return message_; }

 private:
  enum class Kind { Next, Failed, Stopped };
  Step(Kind kind, std::string message) : kind_(kind), message_(std::move(message)) {}

  Kind kind_;
  std::string message_;
};

}  // namespace gvde
