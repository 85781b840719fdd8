#include "app/win32/folder_chooser.h"

#include <shlobj.h>

namespace gvde::win32 {

namespace {

// Preselects the folder passed in `data` (a path string) once the browser is ready.
int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM, LPARAM data) {
  const char* path = reinterpret_cast<const char*>(data);
  if (message == BFFM_INITIALIZED && path != nullptr && path[0] != '\0') {
    SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, data);
  }
  return 0;
}

}  // namespace

std::optional<std::string> ChooseFolder(HWND owner, const std::string& title, const std::string& current) {
  char displayName[MAX_PATH] = {};
  BROWSEINFOA info{};
  info.hwndOwner = owner;
  info.pidlRoot = nullptr;
  info.pszDisplayName = displayName;
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  info.lpfn = BrowseCallback;
  info.lParam = reinterpret_cast<LPARAM>(current.c_str());
  LPITEMIDLIST item = SHBrowseForFolderA(&info);
  if (item == nullptr) return std::nullopt;
  char path[MAX_PATH] = {};
  const bool hasPath = SHGetPathFromIDListA(item, path) != FALSE;
  CoTaskMemFree(item);
  if (!hasPath) return std::nullopt;
  return std::string(path);
}

}  // namespace gvde::win32
