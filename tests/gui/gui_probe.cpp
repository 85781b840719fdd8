#include "gui_probe.h"

#include <cstdio>
#include <cstring>

namespace gui {

namespace {

constexpr DWORD kReplyTimeout = 3000;
constexpr DWORD kPollInterval = 50;

struct DialogSearch {
  HWND owner;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<DialogSearch*>(data);
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  if (std::strcmp(name, "#32770") == 0 && GetWindow(window, GW_OWNER) == search->owner) {
    search->found.push_back(window);
  }
  return TRUE;
}

void Put16(std::vector<unsigned char>& out, unsigned value) {
  out.push_back(static_cast<unsigned char>(value & 0xFF));
  out.push_back(static_cast<unsigned char>((value >> 8) & 0xFF));
}

void Put32(std::vector<unsigned char>& out, unsigned value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

}  // namespace

void Pause(DWORD milliseconds) { Sleep(milliseconds); }

HWND WaitForWindow(const char* className, DWORD milliseconds) {
  for (DWORD waited = 0;; waited += kPollInterval) {
    HWND window = FindWindowA(className, nullptr);
    if (window != nullptr) return window;
    if (waited >= milliseconds) return nullptr;
    Sleep(kPollInterval);
  }
}

bool WaitUntilGone(HWND window, DWORD milliseconds) {
  for (DWORD waited = 0;; waited += kPollInterval) {
    if (!IsWindow(window)) return true;
    if (waited >= milliseconds) return false;
    Sleep(kPollInterval);
  }
}

std::vector<HWND> DialogsOwnedBy(HWND owner) {
  DialogSearch search{owner, {}};
  EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForDialog(HWND owner, DWORD milliseconds) {
  for (DWORD waited = 0;; waited += kPollInterval) {
    std::vector<HWND> dialogs = DialogsOwnedBy(owner);
    for (HWND dialog : dialogs) {
      if (IsWindowVisible(dialog)) return dialog;
    }
    if (waited >= milliseconds) return nullptr;
    Sleep(kPollInterval);
  }
}

std::string Text(HWND window) {
  char buffer[4096] = {};
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG,
                           kReplyTimeout, &copied)) {
    return "<no answer>";
  }
  return std::string(buffer, copied < sizeof buffer ? copied : sizeof buffer - 1);
}

std::string ClassName(HWND window) {
  char name[256] = {};
  const int length = GetClassNameA(window, name, sizeof name);
  return std::string(name, length > 0 ? static_cast<std::size_t>(length) : 0);
}

RECT RectIn(HWND window, HWND parent) {
  RECT rect{};
  GetWindowRect(window, &rect);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

RECT ClientRectOnScreen(HWND window) {
  RECT rect{};
  GetClientRect(window, &rect);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    children.push_back(child);
  }
  return children;
}

void Click(HWND button) { PostMessageA(button, BM_CLICK, 0, 0); }

bool ClickAndWait(HWND button) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kReplyTimeout, &result) != 0;
}

bool SetText(HWND window, const std::string& text) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG,
                             kReplyTimeout, &result) != 0;
}

bool Type(HWND edit, const std::string& text) {
  for (const char c : text) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(edit, WM_CHAR, static_cast<unsigned char>(c), 1, SMTO_ABORTIFHUNG, kReplyTimeout,
                             &result)) {
      return false;
    }
  }
  return true;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kReplyTimeout, &result)) return -1;
  return static_cast<LRESULT>(result);
}

bool Responds(HWND window, DWORD milliseconds) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, milliseconds, &result) != 0;
}

std::string MessageBoxText(HWND box) {
  HWND text = GetDlgItem(box, 0xFFFF);
  return text != nullptr ? Text(text) : "<no text>";
}

bool PressButton(HWND box, int id) {
  HWND button = GetDlgItem(box, id);
  if (button == nullptr) return false;
  Click(button);
  return true;
}

int DefaultFontHeight() {
  HDC screen = GetDC(nullptr);
  HGDIOBJ old = SelectObject(screen, GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICA metrics{};
  GetTextMetricsA(screen, &metrics);
  SelectObject(screen, old);
  ReleaseDC(nullptr, screen);
  return metrics.tmHeight;
}

bool SaveScreenshot(HWND window, const std::string& path) {
  RECT rect{};
  if (!GetWindowRect(window, &rect)) return false;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom row first, as BMP files store it
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = false;
  if (bitmap != nullptr) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    ok = BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY) != FALSE;
    GdiFlush();
    SelectObject(memory, old);
  }
  const unsigned stride = (static_cast<unsigned>(width) * 3 + 3) & ~3u;
  const unsigned imageSize = stride * static_cast<unsigned>(height);
  if (ok) {
    std::vector<unsigned char> file;
    file.push_back('B');
    file.push_back('M');
    Put32(file, 54 + imageSize);
    Put32(file, 0);
    Put32(file, 54);
    file.insert(file.end(), reinterpret_cast<unsigned char*>(&info.bmiHeader),
                reinterpret_cast<unsigned char*>(&info.bmiHeader) + 40);
    const auto* pixels = static_cast<const unsigned char*>(bits);
    file.insert(file.end(), pixels, pixels + imageSize);
    std::FILE* out = std::fopen(path.c_str(), "wb");
    ok = out != nullptr && std::fwrite(file.data(), 1, file.size(), out) == file.size();
    if (out != nullptr && std::fclose(out) != 0) ok = false;
  }
  if (bitmap != nullptr) DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return ok;
}

}  // namespace gui
