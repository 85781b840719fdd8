// gvde-archive-worker: the process in which the archive library runs, started by the archive
// layer of gvde-cli, the tests and the tools (see docs/archive-worker.md).
#include "archive/worker_server.h"

int main(int argc, char** argv) { return gvde::RunArchiveWorkerProgram(argc, argv); }
