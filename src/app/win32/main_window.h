// The main window: its class, the nine controls, the window procedure, the message loop and
// the shutdown. One window per process, so its handles live at module level.
#pragma once

#include <windows.h>

#include <string>

#include "app/startup_config.h"
#include "site/run_config.h"

namespace gvde::win32 {

// Registers the class, creates the window and its controls, applies the remembered values and
// shows the window. On failure the message has been shown and false is returned. The
// configuration must outlive the window: Start runs with it.
bool CreateMainWindow(HINSTANCE instance, const RememberedSettings& remembered,
                      const Configuration& configuration);

// Returns once the window has been closed (the quit message came).
void RunMessageLoop();

// The two directory texts and the check box as they stand now.
RememberedSettings ReadControls();

// Destroys whatever exists of the controls and the window, unregisters the class, then shows
// the message (if not empty) in a task-modal box without owner.
void Shutdown(const std::string& message);

}  // namespace gvde::win32
