// The shell's folder browser, preselecting the current text of a directory field.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace gvde::win32 {

// The chosen folder's path (without an added backslash), or nullopt when the user cancelled
// or the chosen item has no file system path.
std::optional<std::string> ChooseFolder(HWND owner, const std::string& title, const std::string& current);

}  // namespace gvde::win32
