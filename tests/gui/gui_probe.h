// What the GUI driver does to another program's windows: find them, read them, click them.
// Every read goes through SendMessageTimeout so that a hung target cannot hang the driver.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace gui {

// Waits up to `milliseconds` for a top-level window of the class; nullptr when none came.
HWND WaitForWindow(const char* className, DWORD milliseconds);

// Waits until the window no longer exists; false on timeout.
bool WaitUntilGone(HWND window, DWORD milliseconds);

// Top-level dialog windows ("#32770") with the given owner (nullptr: unowned ones).
std::vector<HWND> DialogsOwnedBy(HWND owner);

// Waits for a dialog owned by `owner`; nullptr on timeout.
HWND WaitForDialog(HWND owner, DWORD milliseconds);

std::string Text(HWND window);
std::string ClassName(HWND window);

// The window's rectangle in the client coordinates of `parent`.
RECT RectIn(HWND window, HWND parent);
RECT ClientRectOnScreen(HWND window);

// The child windows in z-order, which for controls that were never reordered is creation order.
std::vector<HWND> Children(HWND parent);

// Clicks a button without waiting for what the click opens.
void Click(HWND button);
// Clicks a button and waits until the click has been handled (no modal box may follow).
bool ClickAndWait(HWND button);
bool SetText(HWND window, const std::string& text);
// Types the text key by key into an edit control.
bool Type(HWND edit, const std::string& text);
LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// True when the window's thread answers within the time.
bool Responds(HWND window, DWORD milliseconds);

// Text of a message box (the static with id 0xFFFF).
std::string MessageBoxText(HWND box);
// Presses the box's button with the id (IDOK, IDYES, IDNO, IDCANCEL); false if it has none.
bool PressButton(HWND box, int id);

// The default GUI font's height as the window program measures it.
int DefaultFontHeight();

// Writes the window's screen area as a 24-bit BMP file.
bool SaveScreenshot(HWND window, const std::string& path);

void Pause(DWORD milliseconds);

}  // namespace gui
