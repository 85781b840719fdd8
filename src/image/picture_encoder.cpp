#include "image/picture_encoder.h"

#include <algorithm>
#include <new>
#include <utility>

namespace gvde {

namespace {

// Nothing a picture does may end a thread: memory that cannot be had is handed to the taking
// thread, anything else that throws counts as a picture not made.
EncodedPicture RunJob(const PictureJob& job, bool& noMemory) {
  try {
    return job();
  } catch (const std::bad_alloc&) {
    noMemory = true;
  } catch (...) {
  }
  return {EncodedPicture::Outcome::NotEncoded, {}, "the picture could not be made"};
}

}  // namespace

unsigned PictureEncoder::JobsFor(unsigned requested) {
  return std::min(requested != 0 ? requested : HardwareThreads(), kMostPictureJobs);
}

PictureEncoder::PictureEncoder(unsigned jobs) : jobs_(std::max(jobs, 1u)) {}

PictureEncoder::~PictureEncoder() {
  Clear();
  {
    MutexLock held(mutex_);
    stopping_ = true;
    changed_.NotifyAll();
  }
  threads_.JoinAll();
}

void PictureEncoder::StartThreads() {
  threadsStarted_ = true;
  for (unsigned t = 1; t < jobs_; ++t) {
    // With fewer threads than asked for, the taking thread makes the rest.
    if (!threads_.Start([this] { ServeThread(); })) break;
  }
}

void PictureEncoder::Give(PictureJob job) {
  if (!threadsStarted_ && jobs_ > 1) StartThreads();
  MutexLock held(mutex_);
  Slot slot;
  slot.job = std::move(job);
  slots_.push_back(std::move(slot));
  changed_.NotifyAll();
}

EncodedPicture PictureEncoder::TakeNext() {
  MutexLock held(mutex_);
  while (!slots_.front().done) {
    std::uint64_t sequence = 0;
    if (Slot* waiting = ClaimWaiting(sequence)) {
      Make(sequence, std::move(waiting->job));
    } else {
      changed_.Wait(held);
    }
  }
  EncodedPicture result = std::move(slots_.front().result);
  const bool noMemory = slots_.front().noMemory;
  slots_.pop_front();
  ++frontSequence_;
  if (noMemory) throw std::bad_alloc();
  return result;
}

void PictureEncoder::Clear() {
  MutexLock held(mutex_);
  for (Slot& slot : slots_) {
    if (slot.started) continue;
    slot.started = true;
    slot.job = nullptr;  // releases what the picture would have read
  }
  while (making_ > 0) changed_.Wait(held);
  frontSequence_ += slots_.size();
  slots_.clear();
}

void PictureEncoder::ServeThread() {
  MutexLock held(mutex_);
  while (!stopping_) {
    std::uint64_t sequence = 0;
    if (Slot* waiting = ClaimWaiting(sequence)) {
      Make(sequence, std::move(waiting->job));
    } else {
      changed_.Wait(held);
    }
  }
}

PictureEncoder::Slot* PictureEncoder::ClaimWaiting(std::uint64_t& sequence) {
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    if (slots_[i].started) continue;
    slots_[i].started = true;
    sequence = frontSequence_ + i;
    return &slots_[i];
  }
  return nullptr;
}

void PictureEncoder::Make(std::uint64_t sequence, PictureJob job) {
  ++making_;
  mutex_.Unlock();
  bool noMemory = false;
  EncodedPicture result = RunJob(job, noMemory);
  job = nullptr;
  mutex_.Lock();
  // A slot being made is neither taken nor cleared, so it is still where it was.
  Slot& slot = slots_[static_cast<std::size_t>(sequence - frontSequence_)];
  slot.result = std::move(result);
  slot.noMemory = noMemory;
  slot.done = true;
  --making_;
  changed_.NotifyAll();
}

EncodedPicture PictureStream::Next() {
  const std::uint64_t reach = std::min<std::uint64_t>(count_, std::uint64_t{taken_} + encoder_.Window());
  for (; given_ < reach; ++given_) encoder_.Give(prepare_(given_));
  ++taken_;
  return encoder_.TakeNext();
}

}  // namespace gvde
