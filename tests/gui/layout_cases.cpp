// The window as created: class, frame, the nine controls, Tab order, focus; and the resize rules.
#include <cstdio>
#include <string>

#include "gui_cases.h"
#include "gui_probe.h"

namespace gui {

namespace {

constexpr DWORD kWindowTimeout = 30000;

struct ExpectedControl {
  const char* role;
  const char* className;
  DWORD style;
  DWORD exStyle;
};

constexpr DWORD kBrowseStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_PUSHLIKE;
constexpr DWORD kEditExStyle = WS_EX_CLIENTEDGE;

// Creation order, which is also the Tab order.
constexpr ExpectedControl kControls[9] = {
    {"game directory field", "Edit", WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP, kEditExStyle},
    {"game Browse button", "Button", kBrowseStyle, 0},
    {"output directory field", "Edit", WS_CHILD | WS_VISIBLE | WS_TABSTOP, kEditExStyle},
    {"output Browse button", "Button", kBrowseStyle, 0},
    {"check box", "Button", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX | BS_LEFT | BS_VCENTER, 0},
    {"Start button", "Button",
     WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON | BS_CENTER | BS_VCENTER | BS_PUSHLIKE, 0},
    {"About button", "Button", kBrowseStyle, 0},
    {"game directory label", "Static", WS_CHILD | WS_VISIBLE, 0},
    {"output directory label", "Static", WS_CHILD | WS_VISIBLE, 0},
};

constexpr DWORD kMainStyle =
    WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
constexpr DWORD kMainExStyle = WS_EX_CONTROLPARENT | WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;

std::string Hex(DWORD value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(value));
  return text;
}

std::string RectText(const RECT& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
         std::to_string(r.bottom - r.top) + ")";
}

void CheckRect(Report& report, HWND control, HWND parent, int x, int y, int width, int height,
               const std::string& what) {
  const RECT expected{x, y, x + width, y + height};
  report.Equal(RectText(RectIn(control, parent)), RectText(expected), what + " rectangle");
}

HWND* ControlSlot(MainWindow& window, std::size_t index) {
  HWND* slots[9] = {&window.gameEdit, &window.gameBrowse, &window.outputEdit,
                    &window.outputBrowse, &window.check, &window.start,
                    &window.about, &window.gameLabel, &window.outputLabel};
  return slots[index];
}

bool SameClass(const std::string& actual, const char* expected) {
  return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, actual.c_str(), -1, expected, -1) == CSTR_EQUAL;
}

// The positions that the size rules give for client width w.
void CheckLayoutForWidth(Report& report, const MainWindow& window, int w, const std::string& when) {
  const int h = DefaultFontHeight();
  CheckRect(report, window.gameEdit, window.main, 0, 24, w - 80, 24, when + ": game directory field");
  CheckRect(report, window.gameBrowse, window.main, w - 80, 24, 80, 24, when + ": game Browse button");
  CheckRect(report, window.outputEdit, window.main, 0, 72, w - 80, 24, when + ": output directory field");
  CheckRect(report, window.outputBrowse, window.main, w - 80, 72, 80, 24, when + ": output Browse button");
  CheckRect(report, window.check, window.main, 8, 96, w, 20, when + ": check box");
  CheckRect(report, window.start, window.main, 0, 116, w / 2, 24, when + ": Start button");
  CheckRect(report, window.about, window.main, w / 2, 116, w / 2, 24, when + ": About button");
  CheckRect(report, window.gameLabel, window.main, 3, 24 - h - 3, w, h, when + ": game directory label");
  CheckRect(report, window.outputLabel, window.main, 3, 72 - h - 3, w, h, when + ": output directory label");
}

void CheckClassAndFrame(Report& report, HWND main) {
  report.Equal(ClassName(main), "gvde", "window class name");
  report.Equal(Hex(GetClassLongA(main, GCL_STYLE)), Hex(CS_HREDRAW | CS_OWNDC), "class styles");
  report.Equal(GetClassLongA(main, GCL_CBCLSEXTRA), 0, "extra class bytes");
  report.Equal(GetClassLongA(main, GCL_CBWNDEXTRA), 0, "extra window bytes");
  report.Equal(Text(main), "Grimveil data extractor", "window title");
  const DWORD style = static_cast<DWORD>(GetWindowLongA(main, GWL_STYLE));
  const DWORD exStyle = static_cast<DWORD>(GetWindowLongA(main, GWL_EXSTYLE));
  report.Equal(Hex(style & ~WS_VISIBLE & 0xFFFF0000u), Hex(kMainStyle), "window styles");
  report.Check((style & WS_VISIBLE) != 0, "the window is visible");
  report.Equal(Hex(exStyle & kMainExStyle), Hex(kMainExStyle), "window extended styles");
  report.Check(GetWindow(main, GW_OWNER) == nullptr && GetAncestor(main, GA_PARENT) == GetDesktopWindow(),
               "the window has neither owner nor parent");
  report.Check(GetMenu(main) == nullptr, "the window has no menu");
  report.Equal(RectText(ClientRectOnScreen(main)), RectText(RECT{280, 140, 600, 280}), "client area on the screen");
  RECT outer{280, 140, 600, 280};
  AdjustWindowRectEx(&outer, kMainStyle, FALSE, kMainExStyle);
  RECT actual{};
  GetWindowRect(main, &actual);
  report.Equal(RectText(actual), RectText(outer), "outer window rectangle");
}

void CheckControls(Report& report, const MainWindow& window, const Args& args) {
  const std::string texts[9] = {args[0],  "Browse...", args[1],  "Browse...",         "Technical information",
                                "Start",  "About",     "Grimveil directory", "Output directory"};
  MainWindow copy = window;
  for (std::size_t i = 0; i < 9; ++i) {
    const ExpectedControl& expected = kControls[i];
    HWND control = *ControlSlot(copy, i);
    const std::string role = expected.role;
    report.Check(SameClass(ClassName(control), expected.className),
                 role + " class: got " + ClassName(control) + ", expected " + expected.className);
    report.Equal(Text(control), texts[i], role + " text");
    report.Equal(Hex(static_cast<DWORD>(GetWindowLongA(control, GWL_STYLE))), Hex(expected.style), role + " styles");
    // The system drops WS_EX_WINDOWEDGE from children without a frame, so only the client
    // edge can be seen from outside. Wine answers no WM_GETFONT from another process, so the
    // font shows only in the screenshot and in the labels' height.
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongA(control, GWL_EXSTYLE));
    report.Equal(Hex(exStyle & WS_EX_CLIENTEDGE), Hex(expected.exStyle), role + " extended styles");
    report.Equal(GetWindowLongPtrA(control, GWLP_ID), 0, role + " identifier");
  }
}

void CheckTabOrder(Report& report, const MainWindow& window) {
  const HWND order[] = {window.gameEdit, window.gameBrowse, window.outputEdit, window.outputBrowse,
                        window.check,    window.start,      window.about,      window.gameEdit};
  for (std::size_t i = 0; i + 1 < sizeof order / sizeof order[0]; ++i) {
    report.Check(GetNextDlgTabItem(window.main, order[i], FALSE) == order[i + 1],
                 "Tab from " + std::string(kControls[i].role) + " goes to " + kControls[(i + 1) % 7].role);
  }
}

HWND FocusedControl(HWND main) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info) ? info.hwndFocus : nullptr;
}

void CheckFocus(Report& report, const MainWindow& window) {
  report.Check(FocusedControl(window.main) == window.gameEdit, "keyboard focus is in the game directory field");
  report.Check(GetForegroundWindow() == window.main, "the window is in the foreground");
}

// A Tab key goes through the message loop's dialog-message processing to the next control.
void CheckTabKey(Report& report, const MainWindow& window) {
  HWND before = FocusedControl(window.main);
  PostMessageA(before, WM_KEYDOWN, VK_TAB, 0x000F0001);
  PostMessageA(before, WM_KEYUP, VK_TAB, static_cast<LPARAM>(0xC00F0001u));
  HWND after = before;
  for (int tries = 0; tries < 50 && after == before; ++tries) {
    Pause(50);
    after = FocusedControl(window.main);
  }
  report.Check(after == window.gameBrowse, "the Tab key moves the focus to the game Browse button");
}

void Resize(HWND main, int width, int height) {
  SetWindowPos(main, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  Responds(main, 3000);
}

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

}  // namespace

bool FindMainWindow(Report& report, MainWindow& window) {
  window.main = WaitForWindow("gvde", kWindowTimeout);
  if (!report.Check(window.main != nullptr, "a window of class \"gvde\" appears")) return false;
  Responds(window.main, 5000);
  const std::vector<HWND> children = Children(window.main);
  if (!report.Equal(static_cast<long long>(children.size()), 9, "number of controls")) return false;
  for (std::size_t i = 0; i < 9; ++i) *ControlSlot(window, i) = children[i];
  return true;
}

void CheckLayout(Report& report, const Args& args) {
  MainWindow window;
  if (!FindMainWindow(report, window)) return;
  Pause(300);  // let the first paint finish before the screenshot
  CheckClassAndFrame(report, window.main);
  CheckControls(report, window, args);
  // Showing an overlapped window the first time sends it a size change, and that stretches the
  // check box from its created width 312 to the client width.
  CheckLayoutForWidth(report, window, 320, "at start");
  report.Equal(Send(window.check, BM_GETCHECK, 0, 0), args[2] == "1" ? BST_CHECKED : BST_UNCHECKED,
               "check box state");
  CheckTabOrder(report, window);
  CheckFocus(report, window);
  report.Check(Send(window.main, WM_GETICON, ICON_SMALL2, 0) != 0, "the window shows the class icon");
  report.Check(SaveScreenshot(window.main, args[3]), "screenshot written to " + args[3]);
  CheckTabKey(report, window);
}

void CheckResize(Report& report, const Args&) {
  MainWindow window;
  if (!FindMainWindow(report, window)) return;
  RECT start{};
  GetWindowRect(window.main, &start);
  const int width = Width(start);
  const int height = Height(start);

  Resize(window.main, width + 101, height);
  RECT now{};
  GetWindowRect(window.main, &now);
  report.Equal(Width(now), width + 101, "widening is allowed");
  CheckLayoutForWidth(report, window, 421, "421 pixels wide");

  Resize(window.main, width + 1, height);
  CheckLayoutForWidth(report, window, 321, "321 pixels wide (halves rounded down)");

  Resize(window.main, width - 100, height);
  GetWindowRect(window.main, &now);
  report.Equal(Width(now), width, "the window is never narrower than at start");
  CheckLayoutForWidth(report, window, 320, "back at the start width");

  Resize(window.main, width, height + 60);
  GetWindowRect(window.main, &now);
  report.Equal(Height(now), height, "the height cannot grow");
  Resize(window.main, width, height - 40);
  GetWindowRect(window.main, &now);
  report.Equal(Height(now), height, "the height cannot shrink");
}

}  // namespace gui
