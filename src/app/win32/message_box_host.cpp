#include "app/win32/message_box_host.h"

namespace gvde::win32 {

void MessageBoxHost::ShowError(const std::string& message, const std::string& /*detail*/) {
  MessageBoxA(owner_, message.c_str(), "Error", MB_OK | MB_ICONERROR);
}

bool MessageBoxHost::AskExit(const std::string& question, const std::string& /*detail*/) {
  return MessageBoxA(owner_, question.c_str(), "Error", MB_YESNO | MB_ICONERROR) == IDYES;
}

void MessageBoxHost::ShowDone() {
  MessageBoxA(owner_, "Done", "Information", MB_OK | MB_ICONINFORMATION);
}

void ShowStartupError(const std::string& message) {
  MessageBoxA(nullptr, message.c_str(), "Error", MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

}  // namespace gvde::win32
