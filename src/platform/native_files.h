// The system calls under OutputFolder and OutputFile: open, create, write, close and remove.
// file_system_posix.cpp and file_system_win32.cpp implement them; output_file.cpp holds the rest
// (buffering, the output limit, failure bookkeeping), the same on every platform. A call that
// fails leaves the system's error code for LastSystemErrorText and records nothing itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace gvde::native {

using Handle = std::intptr_t;
inline constexpr Handle kNoHandle = -1;

// A file to create: `name` inside the held folder `folder`, and the same file as one path,
// for systems that create by path. `folder` is kWorkingFolder when `name` is the path itself.
struct FileName {
  Handle folder;
  const char* name;
  const char* path;
};
extern const Handle kWorkingFolder;

// False, with the reason recorded for `path` (platform/file_error.h), for an empty path or one
// longer than MaxPathLength().
bool UsablePath(const std::string& path);

// A folder in which files are then created by name; a link to a folder is followed.
Handle OpenFolder(const std::string& path);
void CloseFolder(Handle folder);

// Creates a new file for writing, never through a link. kNoHandle when it cannot; `exists`
// then tells whether something (a file, a link, a folder) is at its name already.
Handle CreateNew(const FileName& file, bool& exists);
// Opens what is at `path` for writing where it is (a device, a named pipe), without creating,
// emptying or replacing anything; a named pipe that no one reads does not open.
Handle OpenExisting(const std::string& path);
// A handle of its own on the program's standard output.
Handle DuplicateStandardOutput();
// Removes what is at the name: a link itself, not what it leads to.
bool Remove(const FileName& file);
// Writes all `size` bytes.
bool Write(Handle file, const void* data, std::size_t size);
bool Close(Handle file);

}  // namespace gvde::native
