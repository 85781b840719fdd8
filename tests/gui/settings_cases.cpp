// The remembered values shown at start, edits made through the window, and closing it.
#include <string>

#include "gui_cases.h"
#include "gui_probe.h"

namespace gui {

void CheckFields(Report& report, const Args& args) {
  MainWindow window;
  if (!FindMainWindow(report, window)) return;
  report.Equal(Text(window.gameEdit), args[0], "game directory field");
  report.Equal(Text(window.outputEdit), args[1], "output directory field");
  report.Equal(Send(window.check, BM_GETCHECK, 0, 0), args[2] == "1" ? BST_CHECKED : BST_UNCHECKED,
               "check box state");
}

void EditFields(Report& report, const Args& args) {
  MainWindow window;
  if (!FindMainWindow(report, window)) return;
  SetText(window.gameEdit, "");
  report.Check(Type(window.gameEdit, args[0]), "typing into the game directory field");
  report.Equal(Text(window.gameEdit), args[0], "typed game directory");
  report.Check(SetText(window.outputEdit, args[1]), "setting the output directory field");
  if (args[2] == "1") {
    const LRESULT before = Send(window.check, BM_GETCHECK, 0, 0);
    report.Check(ClickAndWait(window.check), "clicking the check box");
    report.Check(Send(window.check, BM_GETCHECK, 0, 0) != before, "a click toggles the check box");
  }
}

void CloseMainWindow(Report& report, const Args&) {
  HWND main = FindWindowA("gvde", nullptr);
  if (!report.Check(main != nullptr, "the window is there to be closed")) return;
  // The title bar's close button arrives as this system command.
  PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
  report.Check(WaitUntilGone(main, 15000), "the window closes");
}

}  // namespace gui
