// The About box, the two folder choosers and the start-up failure boxes.
#include <string>

#include "gui_cases.h"
#include "gui_probe.h"

namespace gui {

namespace {

constexpr DWORD kBoxTimeout = 15000;

struct TextSearch {
  const std::string* text;
  bool found;
};

BOOL CALLBACK FindText(HWND child, LPARAM data) {
  auto* search = reinterpret_cast<TextSearch*>(data);
  if (Text(child) == *search->text) search->found = true;
  return search->found ? FALSE : TRUE;
}

bool HasChildWithText(HWND parent, const std::string& text) {
  TextSearch search{&text, false};
  EnumChildWindows(parent, FindText, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Opens a chooser, checks its title and that it disables the main window, then presses `button`.
void UseChooser(Report& report, const MainWindow& window, HWND browse, const std::string& title, int button) {
  Click(browse);
  HWND chooser = WaitForDialog(window.main, kBoxTimeout);
  if (!report.Check(chooser != nullptr, "a folder chooser opens for \"" + title + "\"")) return;
  Pause(500);  // the preselection is applied while the chooser initialises
  report.Check(HasChildWithText(chooser, title), "the chooser shows the title \"" + title + "\"");
  report.Check(!IsWindowEnabled(window.main), "the main window is disabled while the chooser is open");
  report.Check(PressButton(chooser, button), "the chooser has the button to press");
  report.Check(WaitUntilGone(chooser, kBoxTimeout), "the chooser closes");
}

}  // namespace

void CheckAbout(Report& report, const Args&) {
  MainWindow window;
  if (!FindMainWindow(report, window)) return;
  Click(window.about);
  HWND box = WaitForDialog(window.main, kBoxTimeout);
  if (!report.Check(box != nullptr, "the About box opens, owned by the main window")) return;
  report.Equal(Text(box), "About GVDE", "About box caption");
  const std::string text = MessageBoxText(box);
  report.Check(text.rfind("Grimveil data extractor v1.1.4\n", 0) == 0, "first line of the About text: " + text);
  std::size_t lines = 1;
  for (const char c : text) lines += c == '\n' ? 1 : 0;
  report.Equal(static_cast<long long>(lines), 4, "lines in the About text");
  report.Check(!IsWindowEnabled(window.main), "the main window is disabled while the box is open");
  report.Check(GetDlgItem(box, IDCANCEL) == nullptr && GetDlgItem(box, IDYES) == nullptr, "the box has only OK");
  report.Check(PressButton(box, IDOK), "the box has an OK button");
  report.Check(WaitUntilGone(box, kBoxTimeout), "OK closes the About box");
  report.Check(Responds(window.main, 3000) && IsWindowEnabled(window.main), "the main window is usable again");
}

void CheckChoosers(Report& report, const Args& args) {
  MainWindow window;
  if (!FindMainWindow(report, window)) return;
  const std::string& picked = args[0];
  const std::string& typed = args[1];

  // An empty field opens the chooser without preselection; Cancel changes nothing.
  SetText(window.gameEdit, "");
  UseChooser(report, window, window.gameBrowse, "Select Grimveil directory", IDCANCEL);
  report.Equal(Text(window.gameEdit), "", "game directory field after Cancel");

  SetText(window.gameEdit, typed);
  UseChooser(report, window, window.gameBrowse, "Select Grimveil directory", IDCANCEL);
  report.Equal(Text(window.gameEdit), typed, "typed game directory after Cancel");

  // OK on the preselected folder gives its path with a backslash added.
  SetText(window.outputEdit, picked);
  UseChooser(report, window, window.outputBrowse, "Select output directory", IDOK);
  report.Equal(Text(window.outputEdit), picked + "\\", "output directory field after OK");
  report.Check(Responds(window.main, 3000) && IsWindowEnabled(window.main), "the main window is usable again");
}

void CheckStartupError(Report& report, const Args& args) {
  HWND box = nullptr;
  for (int tries = 0; tries < 300 && box == nullptr; ++tries) {
    for (HWND dialog : DialogsOwnedBy(nullptr)) {
      if (IsWindowVisible(dialog) && Text(dialog) == "Error") box = dialog;
    }
    if (box == nullptr) Pause(100);
  }
  if (!report.Check(box != nullptr, "an unowned box with the caption \"Error\" appears")) return;
  report.Equal(MessageBoxText(box), args[0], "start-up message");
  report.Check(FindWindowA("gvde", nullptr) == nullptr, "no main window exists");
  report.Check(GetDlgItem(box, IDYES) == nullptr && GetDlgItem(box, IDCANCEL) == nullptr, "the box has only OK");
  report.Check(PressButton(box, IDOK), "the box has an OK button");
  report.Check(WaitUntilGone(box, kBoxTimeout), "OK closes the box");
  Pause(500);
  report.Check(FindWindowA("gvde", nullptr) == nullptr, "no main window is created after the box");
}

}  // namespace gui
