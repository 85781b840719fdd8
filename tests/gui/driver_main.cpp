// gvde-gui-driver NAME STEP ARGS... [+ STEP ARGS...]
// Drives the running gvde window step by step; prints "FAIL" lines and a summary line, and
// exits with 1 when any check failed.
#include <cstdio>
#include <cstring>
#include <string>

#include "gui_cases.h"
#include "gui_probe.h"

namespace {

struct Step {
  const char* name;
  std::size_t argumentCount;
  void (*run)(gui::Report&, const gui::Args&);
};

constexpr Step kSteps[] = {
    {"layout", 4, gui::CheckLayout},
    {"resize", 0, gui::CheckResize},
    {"about", 0, gui::CheckAbout},
    {"chooser", 2, gui::CheckChoosers},
    {"startup-error", 1, gui::CheckStartupError},
    {"fields", 3, gui::CheckFields},
    {"edit", 3, gui::EditFields},
    {"close", 0, gui::CloseMainWindow},
    {"start-message", 3, gui::CheckStartMessage},
    {"run", 5, gui::RunThroughWindow},
};

const Step* FindStep(const std::string& name) {
  for (const Step& step : kSteps) {
    if (name == step.name) return &step;
  }
  return nullptr;
}

// After a failed step: answer whatever box is open and close the window, so that gvde ends
// normally and the next case starts clean.
void CloseEverything() {
  HWND main = FindWindowA("gvde", nullptr);
  for (int round = 0; round < 20; ++round) {
    std::vector<HWND> boxes = gui::DialogsOwnedBy(main);
    if (main != nullptr) {
      for (HWND box : gui::DialogsOwnedBy(nullptr)) boxes.push_back(box);
    }
    bool pressed = false;
    for (HWND box : boxes) {
      for (int id : {IDNO, IDCANCEL, IDOK}) {
        if (gui::PressButton(box, id)) {
          pressed = true;
          break;
        }
      }
    }
    if (!pressed) break;
    gui::Pause(300);
  }
  if (main != nullptr) PostMessageA(main, WM_CLOSE, 0, 0);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: gvde-gui-driver NAME STEP ARGS... [+ STEP ARGS...]\n");
    return 2;
  }
  gui::Report report(argv[1]);
  int i = 2;
  while (i < argc) {
    const Step* step = FindStep(argv[i]);
    if (step == nullptr) {
      report.Check(false, std::string("unknown step ") + argv[i]);
      break;
    }
    gui::Args args;
    for (++i; i < argc && std::strcmp(argv[i], "+") != 0; ++i) args.emplace_back(argv[i]);
    if (i < argc) ++i;  // the "+" between steps
    if (args.size() != step->argumentCount) {
      report.Check(false, std::string("wrong argument count for ") + step->name);
      break;
    }
    const int before = report.failures();
    step->run(report, args);
    if (report.failures() != before) break;  // later steps depend on this one
  }
  if (report.failures() != 0) CloseEverything();
  return report.Finish();
}
