#include <signal.h>

#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

#include "platform/threads.h"

namespace gvde {

struct Mutex::Impl {
  std::mutex mutex;
};

struct Condition::Impl {
  std::condition_variable condition;
};

struct ThreadGroup::Thread {
  std::thread thread;
};

unsigned HardwareThreads() {
  const unsigned count = std::thread::hardware_concurrency();
  return count == 0 ? 1 : count;
}

Mutex::Mutex() : impl_(std::make_unique<Impl>()) {}
Mutex::~Mutex() = default;
void Mutex::Lock() { impl_->mutex.lock(); }
void Mutex::Unlock() { impl_->mutex.unlock(); }

Condition::Condition() : impl_(std::make_unique<Impl>()) {}
Condition::~Condition() = default;

void Condition::Wait(MutexLock& held) {
  std::unique_lock<std::mutex> lock(held.mutex_.impl_->mutex, std::adopt_lock);
  impl_->condition.wait(lock);
  lock.release();  // the MutexLock unlocks it
}

void Condition::NotifyAll() { impl_->condition.notify_all(); }
void Condition::NotifyOne() { impl_->condition.notify_one(); }

ThreadGroup::ThreadGroup() = default;
ThreadGroup::~ThreadGroup() { JoinAll(); }

bool ThreadGroup::Start(std::function<void()> body) {
  // The new thread starts with every signal blocked, so that a signal for the program (Ctrl-C,
  // kill) reaches the thread that started it, where the front end holds it back or handles it.
  sigset_t all;
  sigfillset(&all);
  sigset_t before;
  const bool masked = pthread_sigmask(SIG_SETMASK, &all, &before) == 0;
  bool started = false;
  try {
    // Room first: once the thread runs, keeping it must not fail.
    threads_.reserve(threads_.size() + 1);
    auto thread = std::make_unique<Thread>();
    thread->thread = std::thread(std::move(body));
    threads_.push_back(std::move(thread));
    started = true;
  } catch (const std::exception&) {
    // no thread or no memory
  }
  if (masked) pthread_sigmask(SIG_SETMASK, &before, nullptr);
  return started;
}

void ThreadGroup::JoinAll() {
  for (const std::unique_ptr<Thread>& thread : threads_) {
    if (thread->thread.joinable()) thread->thread.join();
  }
  threads_.clear();
}

}  // namespace gvde
