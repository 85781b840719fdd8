// How the archive worker confines itself, in two steps: before it opens the archives it can
// still open them, and only them, for reading; once they are open it can do little more than
// read them and answer on its socket. Anything else fails or ends it at once.
#pragma once

#include <string>

namespace gvde {

// The first step, before the library sees a byte of an archive. Forbids new privileges; where
// the kernel offers Landlock, only the files at the two paths can be opened from now on, and
// only to read them; and a system call filter (Linux: seccomp) leaves no way to write or
// create a file, start a program or open a connection. False when the filter could not be
// installed; a worker that is not confined does not serve. Elsewhere it does nothing.
bool ConfineWorkerToArchives(const std::string& gamePath, const std::string& basePath);

// The second step, once both archives are open (or before the first read): a filter that
// leaves no way to open anything. Queries on the descriptors already open (fstat in each of
// its system calls, statx, getrandom) work or fail with an error code, never end the worker.
bool ConfineWorkerToReading();

// The Landlock part of the first step: true when the rules are in force, false where the
// kernel does not offer Landlock or they could not be made (the filter still applies then).
bool LimitFilesToArchives(const std::string& gamePath, const std::string& basePath);

}  // namespace gvde
