// The worker process's side: a loop that opens the archives and reads files as the parent asks.
#pragma once

#include "archive/worker_channel.h"

namespace gvde {

// Serves requests from `link` with the library calls in this process until the parent asks it
// to exit or the stream ends; the archives are closed before it returns. Returns the worker's
// exit status: 0 after an exit request, 1 when the stream ended or broke first.
int ServeArchiveRequests(ByteLink& link);

// The argument with which a Windows program is started again as the archive worker.
inline constexpr char kArchiveWorkerFlag[] = "--archive-worker";

// For the entry point of a Windows program (the window program), before anything else:
//   if (gvde::IsArchiveWorkerInvocation()) return gvde::RunArchiveWorker();
// True when this process was started as the archive worker. Calling it also tells GameArchives
// that this program can serve as its own worker; a Windows program that never calls it (a test
// or a tool) makes the library calls in its own process. On POSIX the worker is forked and this
// is always false.
bool IsArchiveWorkerInvocation();
// Serves the parent over the standard input and output handles it was started with; returns
// the process exit status.
int RunArchiveWorker();

}  // namespace gvde
