// Decoding, filtering and compressing pictures on a small pool of threads, with the results
// handed back in the order the pictures were given, whatever order they finish in. The thread
// that gives and takes the pictures (the run's own) does every file and archive call itself.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/threads.h"

namespace gvde {

// What making one picture came to.
struct EncodedPicture {
  enum class Outcome : std::uint8_t {
    Encoded,     // `file` holds the whole PNG file
    NotDecoded,  // its game data did not give a picture
    NotEncoded,  // decoded, but no PNG could be made (its size, compression failed)
  };
  Outcome outcome = Outcome::NotDecoded;
  std::vector<std::uint8_t> file;
  // Why it could not be made, where that is known, for the detail line under its question.
  // Made from the picture's own data, so it is the same whichever thread made it.
  std::string detail;
};

// Makes one picture; runs on any thread, so it reads only what stays unchanged meanwhile.
using PictureJob = std::function<EncodedPicture()>;

// More threads than this only hold more pictures in memory.
constexpr unsigned kMostPictureJobs = 64;

// Encodes on `jobs` threads: the thread that takes the results, and jobs - 1 threads of its own,
// started with the first picture. With one job there is no other thread: each picture is made
// when it is taken.
class PictureEncoder {
 public:
  explicit PictureEncoder(unsigned jobs);
  ~PictureEncoder();  // drops what is not taken and ends the threads
  PictureEncoder(const PictureEncoder&) = delete;
  PictureEncoder& operator=(const PictureEncoder&) = delete;

  // The job count for a request: 0 is one per processor; at most kMostPictureJobs.
  static unsigned JobsFor(unsigned requested);
  // How many pictures may be given ahead of the next one taken: enough to keep every thread
  // busy, few enough that little memory is held.
  std::uint32_t Window() const { return jobs_ == 1 ? 1 : 4 * jobs_; }

  void Give(PictureJob job);
  // The result of the oldest picture given and not yet taken. While it is not ready, the calling
  // thread makes pictures that wait for a thread. Only call while a picture is outstanding.
  // Throws std::bad_alloc when the picture's memory could not be had, on whichever thread.
  EncodedPicture TakeNext();
  // Drops every picture not yet started and every result not taken, once the pictures being
  // made have finished.
  void Clear();

 private:
  struct Slot {
    PictureJob job;
    bool started = false;  // claimed by a thread, or dropped
    bool done = false;
    bool noMemory = false;  // making it threw std::bad_alloc
    EncodedPicture result;
  };

  void StartThreads();
  void ServeThread();
  // Claims the oldest slot that waits for a thread and gives its sequence number; null when
  // none waits. With the mutex held.
  Slot* ClaimWaiting(std::uint64_t& sequence);
  // Makes a claimed picture with the mutex released and stores the result. Called with the
  // mutex held, which it holds again on return.
  void Make(std::uint64_t sequence, PictureJob job);

  unsigned jobs_;
  Mutex mutex_;
  Condition changed_;
  std::deque<Slot> slots_;           // in the order given; the front is taken next
  std::uint64_t frontSequence_ = 0;  // sequence number of slots_.front()
  unsigned making_ = 0;              // pictures being made
  bool stopping_ = false;
  bool threadsStarted_ = false;
  ThreadGroup threads_;
};

// Pictures 0 .. count - 1 through an encoder: Next() gives pictures ahead, as far as the
// encoder's window reaches, each made ready by `prepare` on the calling thread in their order,
// and returns the next picture's result. What is still outstanding when the stream ends is
// dropped.
class PictureStream {
 public:
  PictureStream(PictureEncoder& encoder, std::uint32_t count,
                std::function<PictureJob(std::uint32_t)> prepare)
      : encoder_(encoder), count_(count), prepare_(std::move(prepare)) {}
  ~PictureStream() { encoder_.Clear(); }
  PictureStream(const PictureStream&) = delete;
  PictureStream& operator=(const PictureStream&) = delete;

  // The result of the next picture; only while fewer than count are taken.
  EncodedPicture Next();

 private:
  PictureEncoder& encoder_;
  std::uint32_t count_;
  std::function<PictureJob(std::uint32_t)> prepare_;
  std::uint32_t given_ = 0;
  std::uint32_t taken_ = 0;
};

}  // namespace gvde
