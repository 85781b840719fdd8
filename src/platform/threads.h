// Threads for work that touches no file and no window (picture encoding): a mutex, a condition
// to wait on, and a group of threads. POSIX builds use the C++ library's threads; Windows and
// winelib builds use the Win32 ones (the MinGW library has no std::thread, and the threads of a
// winelib program should be Wine's).
#pragma once

#include <functional>
#include <memory>
#include <vector>

namespace gvde {

// How many threads the machine runs at once; at least 1.
unsigned HardwareThreads();

class Mutex {
 public:
  Mutex();
  ~Mutex();
  Mutex(const Mutex&) = delete;
  Mutex& operator=(const Mutex&) = delete;

  void Lock();
  void Unlock();

 private:
  friend class Condition;
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Holds a mutex locked for its lifetime.
class MutexLock {
 public:
  explicit MutexLock(Mutex& mutex) : mutex_(mutex) { mutex_.Lock(); }
  ~MutexLock() { mutex_.Unlock(); }
  MutexLock(const MutexLock&) = delete;
  MutexLock& operator=(const MutexLock&) = delete;

 private:
  friend class Condition;
  Mutex& mutex_;
};

class Condition {
 public:
  Condition();
  ~Condition();
  Condition(const Condition&) = delete;
  Condition& operator=(const Condition&) = delete;

  // Releases the held mutex while it waits and holds it again on return. It may return without
  // a notification, so callers wait in a loop on their own state.
  void Wait(MutexLock& held);
  void NotifyAll();
  // Wakes one waiting thread, when any waits.
  void NotifyOne();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Threads that each run one function to its end. The destructor joins them.
class ThreadGroup {
 public:
  ThreadGroup();
  ~ThreadGroup();
  ThreadGroup(const ThreadGroup&) = delete;
  ThreadGroup& operator=(const ThreadGroup&) = delete;

  // Starts one more thread running `body`; false when the system gives no thread.
  bool Start(std::function<void()> body);
  // Waits until every thread started has ended.
  void JoinAll();
  std::size_t Size() const { return threads_.size(); }

 private:
  struct Thread;
  std::vector<std::unique_ptr<Thread>> threads_;
};

}  // namespace gvde
