// The driver's steps. Each reads its arguments, acts on the running gvde and reports checks.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "gui_report.h"

namespace gui {

using Args = std::vector<std::string>;

// The main window and its nine controls in creation order.
struct MainWindow {
  HWND main = nullptr;
  HWND gameEdit = nullptr;
  HWND gameBrowse = nullptr;
  HWND outputEdit = nullptr;
  HWND outputBrowse = nullptr;
  HWND check = nullptr;
  HWND start = nullptr;
  HWND about = nullptr;
  HWND gameLabel = nullptr;
  HWND outputLabel = nullptr;
};

// Waits for the window; false (and a failed check) when it or its controls are missing.
bool FindMainWindow(Report& report, MainWindow& window);

// layout GAME OUTPUT TICK(0|1) SCREENSHOT.bmp
void CheckLayout(Report& report, const Args& args);
// resize
void CheckResize(Report& report, const Args& args);
// about
void CheckAbout(Report& report, const Args& args);
// chooser PICKED_DIR TYPED_DIR
void CheckChoosers(Report& report, const Args& args);
// startup-error MESSAGE
void CheckStartupError(Report& report, const Args& args);
// fields GAME OUTPUT TICK(0|1)
void CheckFields(Report& report, const Args& args);
// edit TYPED_GAME OUTPUT TOGGLE(0|1): types the first, sets the second, clicks the check box
void EditFields(Report& report, const Args& args);
// close
void CloseMainWindow(Report& report, const Args& args);
// start-message GAME OUTPUT MESSAGE: Start gives one error box with the message
void CheckStartMessage(Report& report, const Args& args);
// run GAME OUTPUT TICK(0|1) ANSWER(yes|no) LOGFILE: a whole run, every box answered and logged
void RunThroughWindow(Report& report, const Args& args);

}  // namespace gui
