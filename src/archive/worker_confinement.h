// What the archive worker may still do once both archives are open: read the files it holds
// open and answer on its socket. Anything else ends it at once.
#pragma once

namespace gvde {

// Forbids this process new privileges and installs the system call filter (Linux: seccomp).
// False when it could not be done; a worker that is not confined does not serve. Elsewhere
// it does nothing and returns true.
bool ConfineArchiveWorker();

}  // namespace gvde
