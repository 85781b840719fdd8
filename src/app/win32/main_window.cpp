#include "app/win32/main_window.h"

#include <new>
#include <optional>
#include <string>

#include "app/win32/folder_chooser.h"
#include "app/win32/message_box_host.h"
#include "site/extraction_run.h"
#include "site/run_messages.h"

namespace gvde::win32 {

namespace {

constexpr char kClassName[] = "gvde";
constexpr char kTitle[] = "Grimveil data extractor";
constexpr char kAboutText[] =
    "Grimveil data extractor v1.1.4\n"
    "Written by the gvde developers\n"
    "Built from portable C++20 sources with a standard build tool\n"
    "Game archives read with StormLib, pictures compressed with zlib";

constexpr RECT kClientRect = {280, 140, 600, 280};
constexpr DWORD kWindowExStyle = WS_EX_CONTROLPARENT | WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
constexpr DWORD kWindowStyle =
    WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;

constexpr DWORD kEditExStyle = WS_EX_CLIENTEDGE | WS_EX_WINDOWEDGE;
constexpr DWORD kButtonStyle =
    WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_PUSHLIKE;
constexpr DWORD kStartStyle =
    WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON | BS_CENTER | BS_VCENTER | BS_PUSHLIKE;
constexpr DWORD kCheckStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX | BS_LEFT | BS_VCENTER;
constexpr DWORD kLabelStyle = WS_CHILD | WS_VISIBLE;

constexpr int kBrowseWidth = 80;
constexpr int kRowHeight = 24;
constexpr int kCheckHeight = 20;
constexpr int kGameRowY = 24;
constexpr int kOutputRowY = 72;
constexpr int kButtonRowY = 116;

// The window, its controls and what the window procedure needs, for the life of the program.
struct WindowState {
  HINSTANCE instance = nullptr;
  bool classRegistered = false;
  HWND main = nullptr;
  HWND gameDirEdit = nullptr;
  HWND gameBrowse = nullptr;
  HWND outputDirEdit = nullptr;
  HWND outputBrowse = nullptr;
  HWND technicalCheck = nullptr;
  HWND startButton = nullptr;
  HWND aboutButton = nullptr;
  HWND gameLabel = nullptr;
  HWND outputLabel = nullptr;
  HFONT font = nullptr;
  int fontHeight = 0;
  int outerWidth = 0;
  int outerHeight = 0;
  const Configuration* configuration = nullptr;
};

WindowState state;

std::string ReadControlText(HWND control) {
  try {
    const int length = GetWindowTextLengthA(control);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int got = GetWindowTextA(control, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return text;
  } catch (const std::bad_alloc&) {
    return {};
  }
}

bool IsTicked(HWND checkBox) { return SendMessageA(checkBox, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void RunExtraction() {
  MessageBoxHost host(state.main);
  try {
    RunInputs inputs;
    inputs.gameDir = ReadControlText(state.gameDirEdit);
    inputs.outputDir = ReadControlText(state.outputDirEdit);
    inputs.technicalInfo = IsTicked(state.technicalCheck);
    StartExtraction(inputs, *state.configuration, host);
  } catch (const std::bad_alloc&) {
    // Nothing may unwind through the window procedure into system code.
    host.ShowError(std::string(kNotEnoughMemory), {});
  }
}

void BrowseInto(HWND field, const char* title) {
  try {
    const std::optional<std::string> chosen = ChooseFolder(state.main, title, ReadControlText(field));
    if (chosen) SetWindowTextA(field, AddBackslash(*chosen).c_str());
  } catch (const std::bad_alloc&) {
    // A choice that cannot be held leaves the field unchanged, like a cancelled one.
  }
}

void ShowAbout() { MessageBoxA(state.main, kAboutText, "About GVDE", MB_OK | MB_ICONINFORMATION); }

// Stretches the fields, label and check box to the client width w and keeps the buttons at
// the right edge; Start and About share the width in halves.
void Relayout(int w) {
  if (state.startButton == nullptr) return;  // sizes sent during creation, before the controls
  constexpr UINT kFlags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS;
  const int half = w / 2;
  HDWP batch = BeginDeferWindowPos(9);
  batch = DeferWindowPos(batch, state.startButton, nullptr, 0, 0, half, kRowHeight, kFlags | SWP_NOMOVE);
  batch = DeferWindowPos(batch, state.aboutButton, nullptr, half, kButtonRowY, half, kRowHeight, kFlags);
  batch = DeferWindowPos(batch, state.gameBrowse, nullptr, w - kBrowseWidth, kGameRowY, 0, 0,
                         kFlags | SWP_NOSIZE);
  batch = DeferWindowPos(batch, state.outputBrowse, nullptr, w - kBrowseWidth, kOutputRowY, 0, 0,
                         kFlags | SWP_NOSIZE);
  batch = DeferWindowPos(batch, state.gameDirEdit, nullptr, 0, 0, w - kBrowseWidth, kRowHeight,
                         kFlags | SWP_NOMOVE);
  batch = DeferWindowPos(batch, state.outputDirEdit, nullptr, 0, 0, w - kBrowseWidth, kRowHeight,
                         kFlags | SWP_NOMOVE);
  batch = DeferWindowPos(batch, state.technicalCheck, nullptr, 0, 0, w, kCheckHeight, kFlags | SWP_NOMOVE);
  batch = DeferWindowPos(batch, state.gameLabel, nullptr, 0, 0, w, state.fontHeight, kFlags | SWP_NOMOVE);
  batch = DeferWindowPos(batch, state.outputLabel, nullptr, 0, 0, w, state.fontHeight, kFlags | SWP_NOMOVE);
  if (batch != nullptr) EndDeferWindowPos(batch);
}

bool OnButtonClick(HWND button) {
  if (button == nullptr) return false;
  if (button == state.startButton) {
    RunExtraction();
  } else if (button == state.gameBrowse) {
    BrowseInto(state.gameDirEdit, "Select Grimveil directory");
  } else if (button == state.outputBrowse) {
    BrowseInto(state.outputDirEdit, "Select output directory");
  } else if (button == state.aboutButton) {
    ShowAbout();
  } else {
    return false;
  }
  return true;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      Relayout(LOWORD(lParam));
      break;
    case WM_CLOSE:
      PostQuitMessage(0);
      return 0;
    case WM_GETMINMAXINFO: {
      auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
      limits->ptMinTrackSize.x = state.outerWidth;
      limits->ptMinTrackSize.y = state.outerHeight;
      limits->ptMaxTrackSize.y = state.outerHeight;
      break;
    }
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED && OnButtonClick(reinterpret_cast<HWND>(lParam))) return 0;
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterMainClass() {
  WNDCLASSA windowClass{};
  windowClass.style = CS_HREDRAW | CS_OWNDC;
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.cbClsExtra = 0;
  windowClass.cbWndExtra = 0;
  windowClass.hInstance = state.instance;
  windowClass.hIcon = LoadIconA(state.instance, "MAINICON");
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_MENU + 1));
  windowClass.lpszMenuName = nullptr;
  windowClass.lpszClassName = kClassName;
  if (RegisterClassA(&windowClass) == 0) return false;
  state.classRegistered = true;
  return true;
}

// The outer rectangle for the client rectangle is known before creation, so the size limits
// hold from the very first size query that creation sends.
bool CreateFrame() {
  RECT outer = kClientRect;
  AdjustWindowRectEx(&outer, kWindowStyle, FALSE, kWindowExStyle);
  state.outerWidth = outer.right - outer.left;
  state.outerHeight = outer.bottom - outer.top;
  state.main = CreateWindowExA(kWindowExStyle, kClassName, kTitle, kWindowStyle, outer.left, outer.top,
                               state.outerWidth, state.outerHeight, nullptr, nullptr, state.instance, nullptr);
  return state.main != nullptr;
}

bool MeasureFont() {
  state.font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  HDC context = GetDC(state.main);
  if (context == nullptr) return false;
  SelectObject(context, state.font);
  TEXTMETRICA metrics{};
  if (GetTextMetricsA(context, &metrics)) state.fontHeight = metrics.tmHeight;
  ReleaseDC(state.main, context);
  return true;
}

HWND CreateControl(DWORD exStyle, const char* className, const char* text, DWORD style, int x, int y,
                   int width, int height) {
  return CreateWindowExA(exStyle, className, text, style, x, y, width, height, state.main, nullptr,
                         state.instance, nullptr);
}

// Creation order is the Tab order.
bool CreateControls(const RememberedSettings& remembered) {
  const int h = state.fontHeight;
  state.gameDirEdit = CreateControl(kEditExStyle, "EDIT", remembered.gameDir.c_str(),
                                    WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP, 0, kGameRowY, 240, kRowHeight);
  if (state.gameDirEdit == nullptr) return false;
  state.gameBrowse = CreateControl(0, "BUTTON", "Browse...", kButtonStyle, 240, kGameRowY, 80, kRowHeight);
  if (state.gameBrowse == nullptr) return false;
  state.outputDirEdit = CreateControl(kEditExStyle, "EDIT", remembered.outputDir.c_str(),
                                      WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, kOutputRowY, 240, kRowHeight);
  if (state.outputDirEdit == nullptr) return false;
  state.outputBrowse = CreateControl(0, "BUTTON", "Browse...", kButtonStyle, 240, kOutputRowY, 80, kRowHeight);
  if (state.outputBrowse == nullptr) return false;
  state.technicalCheck = CreateControl(0, "BUTTON", "Technical information", kCheckStyle, 8, 96, 312, kCheckHeight);
  if (state.technicalCheck == nullptr) return false;
  state.startButton = CreateControl(0, "BUTTON", "Start", kStartStyle, 0, kButtonRowY, 160, kRowHeight);
  if (state.startButton == nullptr) return false;
  state.aboutButton = CreateControl(0, "BUTTON", "About", kButtonStyle, 160, kButtonRowY, 160, kRowHeight);
  if (state.aboutButton == nullptr) return false;
  state.gameLabel = CreateControl(0, "STATIC", "Grimveil directory", kLabelStyle, 3, kGameRowY - h - 3, 320, h);
  if (state.gameLabel == nullptr) return false;
  state.outputLabel = CreateControl(0, "STATIC", "Output directory", kLabelStyle, 3, kOutputRowY - h - 3, 320, h);
  return state.outputLabel != nullptr;
}

void GiveFont() {
  const WPARAM font = reinterpret_cast<WPARAM>(state.font);
  for (HWND control : {state.startButton, state.aboutButton, state.gameBrowse, state.outputBrowse, state.gameDirEdit,
                       state.outputDirEdit, state.gameLabel, state.outputLabel, state.technicalCheck}) {
    SendMessageA(control, WM_SETFONT, font, FALSE);
  }
}

void DestroyIfExists(HWND& window) {
  if (window != nullptr) DestroyWindow(window);
  window = nullptr;
}

}  // namespace

bool CreateMainWindow(HINSTANCE instance, const RememberedSettings& remembered, const Configuration& configuration) {
  state.instance = instance;
  state.configuration = &configuration;
  if (!RegisterMainClass()) {
    ShowStartupError("Cannot register window class");
    return false;
  }
  if (!CreateFrame()) {
    Shutdown("Cannot create a window");
    return false;
  }
  if (!MeasureFont()) {
    Shutdown("Cannot find height of the default font %(");
    return false;
  }
  if (!CreateControls(remembered)) {
    Shutdown("Cannot fill the window");
    return false;
  }
  if (remembered.technicalInfo) SendMessageA(state.technicalCheck, BM_SETCHECK, BST_CHECKED, 0);
  GiveFont();
  ShowWindow(state.main, SW_SHOWNORMAL);
  SetForegroundWindow(state.main);
  SetFocus(state.gameDirEdit);
  return true;
}

void RunMessageLoop() {
  MSG message{};
  bool quit = false;
  for (;;) {
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        quit = true;
        continue;
      }
      if (!IsDialogMessageA(state.main, &message)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
      }
    }
    if (quit) return;
    // An idle window sleeps until the next message instead of polling.
    WaitMessage();
  }
}

RememberedSettings ReadControls() {
  RememberedSettings settings;
  settings.gameDir = ReadControlText(state.gameDirEdit);
  settings.outputDir = ReadControlText(state.outputDirEdit);
  settings.technicalInfo = state.technicalCheck != nullptr && IsTicked(state.technicalCheck);
  return settings;
}

void Shutdown(const std::string& message) {
  DestroyIfExists(state.startButton);
  DestroyIfExists(state.gameBrowse);
  DestroyIfExists(state.outputBrowse);
  DestroyIfExists(state.aboutButton);
  DestroyIfExists(state.gameDirEdit);
  DestroyIfExists(state.outputDirEdit);
  DestroyIfExists(state.technicalCheck);
  DestroyIfExists(state.gameLabel);
  DestroyIfExists(state.outputLabel);
  DestroyIfExists(state.main);
  if (state.classRegistered) UnregisterClassA(kClassName, state.instance);
  state.classRegistered = false;
  if (!message.empty()) ShowStartupError(message);
}

}  // namespace gvde::win32
