// Keep <windows.h> from defining min and max macros that break the standard headers.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/folder_lock.h"

namespace gvde {

namespace {

// "Local\gvde-output-" and a 64-bit FNV-1a hash of the full path, upper case and without
// trailing separators: one name for every spelling of the folder's path, short enough for any
// folder. Empty when the path has no full form.
std::string MutexName(const std::string& folder) {
  char full[MAX_PATH] = {};
  const DWORD length = GetFullPathNameA(folder.c_str(), MAX_PATH, full, nullptr);
  if (length == 0 || length >= MAX_PATH) return {};
  std::string path(full, length);
  while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  std::uint64_t hash = 0xcbf29ce484222325u;
  for (char c : path) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c == '/') c = '\\';
    hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3u;
  }
  static const char kDigits[] = "0123456789abcdef";
  std::string name = "Local\\gvde-output-";
  for (int shift = 60; shift >= 0; shift -= 4) name += kDigits[(hash >> shift) & 0xF];
  return name;
}

}  // namespace

FolderLock::~FolderLock() { Release(); }

FolderLock::Outcome FolderLock::Lock(const std::string& folder) {
  Release();
  const std::string name = MutexName(folder);
  if (name.empty()) return Outcome::Unavailable;
  HANDLE mutex = CreateMutexA(nullptr, FALSE, name.c_str());
  if (mutex == nullptr) return Outcome::Unavailable;
  // An abandoned mutex belonged to a run that died: it is ours now.
  const DWORD waited = WaitForSingleObject(mutex, 0);
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
    CloseHandle(mutex);
    return waited == WAIT_TIMEOUT ? Outcome::InUse : Outcome::Unavailable;
  }
  handle_ = reinterpret_cast<std::intptr_t>(mutex);
  return Outcome::Locked;
}

void FolderLock::Release() {
  if (handle_ == -1) return;
  HANDLE mutex = reinterpret_cast<HANDLE>(handle_);
  ReleaseMutex(mutex);
  CloseHandle(mutex);
  handle_ = -1;
}

}  // namespace gvde
