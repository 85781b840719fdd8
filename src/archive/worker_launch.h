// The parent's side of the worker process that runs the archive library, one file per
// platform: start it as a fresh program, feed it, read from it, end it and reap it. What the
// bytes mean, and how long a wait may last, is the client's business (worker_client.cpp).
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace gvde {

// True where a worker process can be started: always on POSIX (the worker program); on Windows
// only in a program that serves as its own worker (UseThisProgramAsArchiveWorker).
bool WorkerProcessesAvailable();

class WorkerProcess final {
 public:
  WorkerProcess();
  WorkerProcess(const WorkerProcess&) = delete;
  WorkerProcess& operator=(const WorkerProcess&) = delete;
  ~WorkerProcess();  // kills and reaps a worker that is still there

  // Starts a new worker, which then waits for requests. False when it cannot be started.
  bool Start();
  // One transfer of 1 to `size` bytes: how many moved; 0 when the worker has ended, the
  // transfer failed, or nothing could move within `limit`.
  std::size_t Send(const std::uint8_t* data, std::size_t size, std::chrono::milliseconds limit);
  std::size_t Receive(std::uint8_t* data, std::size_t size, std::chrono::milliseconds limit);
  // Ends the worker at once if it has not ended yet, and reaps it; harmless when there is none.
  void Kill();

 private:
  struct Handles;
  std::unique_ptr<Handles> handles_;
};

}  // namespace gvde
