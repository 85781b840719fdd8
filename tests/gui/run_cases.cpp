// Runs through the window: Start with the message boxes answered as a person would.
#include <cstdio>
#include <string>
#include <vector>

#include "gui_cases.h"
#include "gui_probe.h"

namespace gui {

namespace {

constexpr DWORD kBoxTimeout = 15000;
constexpr DWORD kRunTimeout = 300000;

void SetInputs(Report& report, const MainWindow& window, const std::string& game, const std::string& output) {
  report.Check(SetText(window.gameEdit, game), "setting the game directory");
  report.Check(SetText(window.outputEdit, output), "setting the output directory");
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// True once the window's thread pumps messages while no box of the run exists: the run is over.
bool RunEnded(HWND main) {
  for (int confirmations = 0; confirmations < 2; ++confirmations) {
    if (!Responds(main, 200) || !DialogsOwnedBy(main).empty()) return false;
    Pause(200);
  }
  return true;
}

bool WriteLog(const std::string& path, const std::vector<std::string>& lines) {
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return false;
  bool ok = true;
  for (const std::string& line : lines) ok = std::fprintf(out, "%s\n", line.c_str()) >= 0 && ok;
  return std::fclose(out) == 0 && ok;
}

}  // namespace

void CheckStartMessage(Report& report, const Args& args) {
  MainWindow window;
  if (!FindMainWindow(report, window)) return;
  SetInputs(report, window, args[0], args[1]);
  Click(window.start);
  HWND box = WaitForDialog(window.main, kBoxTimeout);
  if (!report.Check(box != nullptr, "Start shows a box owned by the main window")) return;
  report.Equal(Text(box), "Error", "caption");
  report.Equal(MessageBoxText(box), args[2], "message");
  report.Check(!IsWindowEnabled(window.main), "the main window is disabled while the box is open");
  report.Check(GetDlgItem(box, IDYES) == nullptr, "the error box has no Yes button");
  report.Check(PressButton(box, IDOK), "the error box has an OK button");
  report.Check(WaitUntilGone(box, kBoxTimeout), "OK closes the box");
  report.Check(RunEnded(window.main), "the run is over after the box");
}

void RunThroughWindow(Report& report, const Args& args) {
  MainWindow window;
  if (!FindMainWindow(report, window)) return;
  const bool answerYes = args[3] == "yes";
  SetInputs(report, window, args[0], args[1]);
  const bool tick = args[2] == "1";
  if ((Send(window.check, BM_GETCHECK, 0, 0) == BST_CHECKED) != tick) {
    report.Check(ClickAndWait(window.check), "toggling the check box");
  }
  Click(window.start);

  std::vector<std::string> log;
  int questions = 0;
  bool finished = false;
  bool clicked = false;  // the click is under way once Start holds the focus or a box is open
  for (DWORD waited = 0; !finished && waited < kRunTimeout; waited += 100) {
    HWND box = nullptr;
    for (HWND dialog : DialogsOwnedBy(window.main)) {
      if (IsWindowVisible(dialog)) box = dialog;
    }
    if (box == nullptr) {
      GUITHREADINFO info{};
      info.cbSize = sizeof info;
      if (GetGUIThreadInfo(GetWindowThreadProcessId(window.main, nullptr), &info) && info.hwndFocus == window.start) {
        clicked = true;
      }
      if (clicked && RunEnded(window.main)) {
        report.Check(answerYes && questions > 0, "the run ended without a final box only after a Yes");
        break;
      }
      Pause(100);
      continue;
    }
    clicked = true;
    Pause(100);  // let the box finish drawing
    const std::string caption = Text(box);
    const std::string text = MessageBoxText(box);
    report.Check(!IsWindowEnabled(window.main), "the main window is disabled while \"" + text + "\" is open");
    if (caption == "Error" && EndsWith(text, ". Exit?")) {
      ++questions;
      report.Check(GetDlgItem(box, IDOK) == nullptr, "the question has no OK button");
      const int answer = answerYes ? IDYES : IDNO;
      report.Check(PressButton(box, answer), "the question has Yes and No buttons");
      log.push_back("Error: " + text + (answerYes ? " yes" : " no"));
    } else if (caption == "Information") {
      report.Equal(text, "Done", "information box text");
      report.Check(PressButton(box, IDOK), "the Done box has an OK button");
      log.push_back(text);
      finished = true;
    } else {
      report.Equal(caption, "Error", "caption of the box \"" + text + "\"");
      report.Check(PressButton(box, IDOK), "the error box has an OK button");
      log.push_back("Error: " + text);
      finished = true;
    }
    report.Check(WaitUntilGone(box, kBoxTimeout), "the box closes after its answer");
  }
  report.Check(finished || RunEnded(window.main), "the run ended within the time limit");
  report.Check(questions > 0, "the run asked at least one \". Exit?\" question (a failing picture)");
  report.Check(WriteLog(args[4], log), "box log written to " + args[4]);
}

}  // namespace gui
