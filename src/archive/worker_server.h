// The worker process's side: a loop that opens the archives and reads files as the parent asks,
// and the entry points that start it in a freshly started program.
#pragma once

#include <string>

#include "archive/worker_protocol.h"

namespace gvde {

// How the worker confines itself, in two steps; a step that is null is left out.
struct WorkerConfinement {
  // Before the first archive is opened: only the two archives can still be opened, and
  // nothing written or started. Called at the ConfineToArchives request, which must then come
  // first; without this step the archives are opened without it.
  bool (*toArchives)(const std::string& gamePath, const std::string& basePath) = nullptr;
  // Once both archives are open, or before the first read if that comes first: nothing can be
  // opened any more.
  bool (*toReading)() = nullptr;
};

// Serves requests from `link` with the library calls in this process until the parent asks it
// to exit or the stream ends; the archives are closed before it returns. Returns the worker's
// exit status: 0 after an exit request, 1 when the stream ended, broke or broke the protocol
// first. When a confinement step fails the worker ends (after a status 0 for the first).
int ServeArchiveRequests(ByteLink& link, const WorkerConfinement& confinement = {});

#ifdef _WIN32

// The argument with which a Windows program is started again as the archive worker.
inline constexpr char kArchiveWorkerFlag[] = "--archive-worker";

// For the entry point of a Windows program (the window program), before anything else:
//   if (gvde::IsArchiveWorkerInvocation()) return gvde::RunArchiveWorker();
//   gvde::UseThisProgramAsArchiveWorker();
// True when this process was started as the archive worker.
bool IsArchiveWorkerInvocation();
// From now on GameArchives starts this program again as its worker. A Windows program that
// never calls it (a test or a tool) makes the library calls in its own process: starting
// "itself" again there would run the wrong program.
void UseThisProgramAsArchiveWorker();
// Serves the parent over the standard input and output handles it was started with; returns
// the process exit status.
int RunArchiveWorker();

#else

// The worker program, looked for from the running program's folder (see FindWorkerProgram).
inline constexpr char kArchiveWorkerProgram[] = "gvde-archive-worker";
// The descriptor on which the worker program finds its end of the socket.
inline constexpr int kArchiveWorkerSocket = 3;

// The body of the worker program, started as `gvde-archive-worker PARENT_PID` with its socket
// at kArchiveWorkerSocket: serves the parent, confined before it opens the archives and again
// once they are open, and ends the process. Returns 2 for a wrong start.
int RunArchiveWorkerProgram(int argc, char** argv);

#endif

}  // namespace gvde
