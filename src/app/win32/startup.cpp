// The program body: configuration, the window, the message loop and the save at exit.
#include <windows.h>
#include <objbase.h>

#include <new>
#include <string>

#include "app/startup_config.h"
#include "app/win32/main_window.h"
#include "app/win32/message_box_host.h"
#include "archive/worker_server.h"
#include "effects/effect_descriptions.h"
#include "site/run_messages.h"

namespace {

constexpr DWORD kDirectoryBufferSize = 261;

// The current directory with a trailing backslash: where Settings.ini goes back at exit.
std::string StartupDirectory() {
  char buffer[kDirectoryBufferSize] = {};
  const DWORD length = GetCurrentDirectoryA(kDirectoryBufferSize, buffer);
  if (length == 0 || length >= kDirectoryBufferSize) return {};
  return gvde::AddBackslash(buffer);
}

int RunProgram(HINSTANCE instance) {
  const std::string startupDirectory = StartupDirectory();
  // Configuration files are looked up by bare name in the current directory.
  const gvde::StartupResult startup = gvde::LoadStartupConfiguration("");
  if (!startup.ok) {
    gvde::win32::ShowStartupError(startup.message);
    return 1;
  }
  gvde::InitEffectFormatters();
  if (!gvde::win32::CreateMainWindow(instance, startup.settings, startup.configuration)) return 1;
  gvde::win32::RunMessageLoop();
  // The controls still exist here, so the saved texts are the ones shown at closing time.
  gvde::SaveSettings(startupDirectory + "Settings.ini", gvde::win32::ReadControls());
  gvde::win32::Shutdown("");
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // The archive library runs in a second copy of this program, started with a flag.
  if (gvde::IsArchiveWorkerInvocation()) return gvde::RunArchiveWorker();
  gvde::UseThisProgramAsArchiveWorker();
  HINSTANCE instance = GetModuleHandleA(nullptr);
  // The folder browser's new dialog style needs COM on this thread.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  int status = 1;
  try {
    status = RunProgram(instance);
  } catch (const std::bad_alloc&) {
    gvde::win32::ShowStartupError(std::string(gvde::kNotEnoughMemory));
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return status;
}
