// The parent's side of the worker process that runs the archive library, one file per
// platform: start it as a fresh program, feed it, read from it, end it and reap it. What the
// bytes mean, and how long a wait may last, is the client's business (worker_client.cpp).
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace gvde {

// True where a worker process can be started: always on POSIX (the worker program); on Windows
// only in a program that serves as its own worker (UseThisProgramAsArchiveWorker).
bool WorkerProcessesAvailable();

// How a worker came to its end, as far as the parent can tell.
enum class WorkerEnd : std::uint8_t {
  Ended,    // by itself: a crash, an abort or an exit
  Hung,     // a wait for it reached its limit, and it was killed
  Refused,  // its system call filter stopped it
  Killed,   // it was still running when it was ended
};

class WorkerProcess final {
 public:
  WorkerProcess();
  WorkerProcess(const WorkerProcess&) = delete;
  WorkerProcess& operator=(const WorkerProcess&) = delete;
  ~WorkerProcess();  // kills and reaps a worker that is still there

  // Starts a new worker, which then waits for requests. Empty when it started; otherwise why
  // it could not be ("gvde-archive-worker not found in /usr/libexec/gvde").
  std::string Start();
  // One transfer of 1 to `size` bytes: how many moved; 0 when the worker has ended, the
  // transfer failed, or nothing could move within `limit`.
  std::size_t Send(const std::uint8_t* data, std::size_t size, std::chrono::milliseconds limit);
  std::size_t Receive(std::uint8_t* data, std::size_t size, std::chrono::milliseconds limit);
  // Ends the worker at once if it has not ended yet (after its stream has ended, it is given a
  // moment to end by itself), and reaps it; harmless when there is none.
  WorkerEnd Kill();

 private:
  struct Handles;
  std::unique_ptr<Handles> handles_;
};

}  // namespace gvde
