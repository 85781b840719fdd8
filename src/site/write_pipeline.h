// The files of the data folder in the run's order, made and written on a pool of threads.
//
// Page texts and pictures are made ahead on any thread. Each file is counted against the output
// limit in the run's order, and handed to a thread for writing once no earlier picture is still
// unsettled: the files up to the next picture may be written in any order, the files after it
// only once it and every file before it are written (or its failure was dealt with at its
// turn). The run's own thread keeps the order of everything the person at the screen sees: each
// turn (a picture's outcome, a progress report) runs on it once everything before it is
// settled, so the messages, the questions and the files that exist at each question are those of
// a run on one thread. A file that cannot be written ends the run with it as the first failing
// file in the run's order; of the files after it, only those up to the next picture may exist.
#pragma once

#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "image/picture_encoder.h"
#include "platform/file_error.h"
#include "platform/threads.h"
#include "site/page_file.h"
#include "site/step.h"

namespace gvde {

// What became of a picture, told at its turn: its file was written whole, or not (`outcome`
// says whether it was made; a made picture that is not written could not be written or did
// not fit the output limit). Nothing after a picture that is not written exists at its turn;
// after one that is written, later files may.
struct PictureEnd {
  bool written = false;
  EncodedPicture::Outcome outcome = EncodedPicture::Outcome::NotDecoded;
  std::string detail;  // why a picture was not made, where that is known
};
using PictureTurn = std::function<Step(const PictureEnd& end)>;
// Runs on the run's thread once everything added before it is settled.
using TurnJob = std::function<Step()>;

class WritePipeline {
 public:
  // Files go into folder.DataFolder(). `jobs` threads work: the run's thread and jobs - 1 of
  // the pipeline's own, started with the first entry. With one job there is no other thread.
  WritePipeline(const SiteFolder& folder, unsigned jobs);
  ~WritePipeline();  // abandons what is left and ends the threads
  WritePipeline(const WritePipeline&) = delete;
  WritePipeline& operator=(const WritePipeline&) = delete;

  // The job count for a request: 0 is one per processor; at most kMostPictureJobs.
  static unsigned JobsFor(unsigned requested);
  // How many entries may wait to be settled: enough to keep every thread busy, few enough that
  // little memory is held. One with one job: each entry is settled before the next is added.
  std::size_t Window() const { return window_; }

  // Each Add first settles earlier entries until the window has room; a failure, a Yes or an
  // earlier turn's end found then is returned, and the caller ends its stage with it.
  //
  // data/<fileName> with the text `make` writes on any thread. A failure `make` returns is
  // given at the page's turn, after the text made so far is written, and nothing later is.
  Step AddPage(std::string fileName, PageJob make);
  // data/<fileName> with a text made already.
  Step AddPage(std::string fileName, const PageFile& made);
  // data/<fileName> with the picture `make` makes on any thread; `turn` tells what became of it.
  // Nothing after the picture is written before it is settled.
  Step AddPicture(std::string fileName, PictureJob make, PictureTurn turn);
  Step AddTurn(TurnJob turn);

  // Settles everything added; the first failure in the run's order ends it. Memory that could
  // not be had for an entry is thrown here (or by an Add) at its turn.
  Step Drain();
  // After a stage ended early: drops what is not started and waits for what is.
  void Abandon();

 private:
  struct Entry;
  enum class Settled : std::uint8_t { One, NotYet, Nothing };

  Step Add(Entry entry);
  // Settles entries until at most `keep` wait, working on the entries while they are not ready.
  Step Pump(std::size_t keep);
  // With the mutex held (released while a turn runs or work is done):
  // Settles the oldest entry if it is ready; `ended` holds the step that ends the stage.
  Settled SettleFront(std::optional<Step>& ended, MutexLock& held);
  Settled SettlePicture(Entry& entry, std::optional<Step>& ended, MutexLock& held);
  bool FrontReady();
  Entry& At(std::uint64_t sequence);
  void PopFront();
  void WaitAsRunner(MutexLock& held);
  // Wakes threads for `posted` new tasks: idle threads of the pool, else the waiting run's
  // thread, which then does the work itself.
  void Posted(std::size_t posted);
  // After an entry was made or written: the run's thread wakes when it can go on.
  void Finished();
  // Hands out what may be written now and wakes a thread for it.
  void Advance();
  void ReleaseInOrder();
  bool RunOneTask(MutexLock& held);
  void Make(std::uint64_t sequence, MutexLock& held);
  void Write(std::uint64_t sequence, MutexLock& held);
  void StartThreads();
  void ServeThread();

  const SiteFolder& folder_;
  const unsigned jobs_;
  const std::size_t window_;

  Mutex mutex_;
  Condition work_;    // the pool's threads wait here for work
  Condition runner_;  // the run's thread waits here for the oldest entry or for work
  unsigned idle_ = 0;
  bool runnerWaiting_ = false;
  std::deque<Entry> entries_;            // added and not yet settled, in the run's order
  std::uint64_t front_ = 0;              // sequence number of entries_.front()
  std::uint64_t makeNext_ = 0;           // the first entry not yet taken for making
  std::uint64_t released_ = 0;           // the first entry not yet handed out for writing
  std::uint64_t stopAt_ = UINT64_MAX;    // nothing from here on is handed out
  std::uint64_t skipFrom_ = UINT64_MAX;  // writes from here on are not started
  std::optional<std::uint64_t> open_;    // the picture that nothing later may pass
  bool openWritten_ = false;             // it is written, and waits for the files before it
  std::uint64_t writeNext_ = 0;          // where the search for a write to start begins
  std::size_t queued_ = 0;               // entries handed out for writing and not yet started
  unsigned busy_ = 0;                    // entries being made or written
  unsigned writing_ = 0;                 // entries being written
  bool writerGoesOn_ = false;            // Advance runs on a thread that takes the next task
  bool stopping_ = false;
  bool threadsStarted_ = false;
  ThreadGroup threads_;
};

// `step`, unless it ends the run and a file before it in the pipeline failed first: a step that
// ends the run outside the pipeline is told once everything added before it is settled.
Step SettledFirst(WritePipeline& files, Step step);

// Abandons the pipeline when a stage ends, so that no entry outlives what its jobs refer to;
// after a Drain there is nothing left to abandon.
class PipelineStage {
 public:
  explicit PipelineStage(WritePipeline& files) : files_(files) {}
  ~PipelineStage() { files_.Abandon(); }
  PipelineStage(const PipelineStage&) = delete;
  PipelineStage& operator=(const PipelineStage&) = delete;

 private:
  WritePipeline& files_;
};

}  // namespace gvde
