#include "site/write_pipeline.h"

#include <algorithm>
#include <utility>

#include "platform/file_system.h"
#include "platform/output_limit.h"
#include "site/run_messages.h"

namespace gvde {

namespace {

// Entries per job that may wait to be settled: pictures and pages made ahead, so that a thread
// that finished a write finds the next work made.
constexpr std::size_t kWindowPerJob = 64;
// However many threads there are, the entries held stay few: pictures of a few MiB at most.
constexpr std::size_t kLargestWindow = 1024;

// Releases a held mutex for its lifetime: work and turns run without it.
class Unlocked {
 public:
  explicit Unlocked(Mutex& mutex) : mutex_(mutex) { mutex_.Unlock(); }
  ~Unlocked() { mutex_.Lock(); }
  Unlocked(const Unlocked&) = delete;
  Unlocked& operator=(const Unlocked&) = delete;

 private:
  Mutex& mutex_;
};

}  // namespace

struct WritePipeline::Entry {
  enum class Kind : std::uint8_t { Page, Picture, Turn };
  enum class State : std::uint8_t { Waiting, Making, Made, Writing, Written };

  Kind kind = Kind::Turn;
  State state = State::Waiting;
  bool refused = false;  // did not fit the output limit: neither written nor anything after it
  bool queued = false;   // handed out for writing, not yet started
  bool writeFailed = false;
  EncodedPicture::Outcome outcome = EncodedPicture::Outcome::NotDecoded;
  std::string fileName;
  PageJob page;
  PictureJob picture;
  PictureTurn pictureTurn;
  TurnJob turn;
  std::vector<std::uint8_t> bytes;   // made, not yet written
  std::string detail;                // why a picture was not made
  std::optional<Step> pageFailure;   // what the page's job returned when it failed
  std::exception_ptr thrown;         // making or writing threw: thrown again at its turn
  FileError writeError;              // why the write failed, as the writing thread recorded it
};

unsigned WritePipeline::JobsFor(unsigned requested) {
  return std::min(requested != 0 ? requested : HardwareThreads(), kMostPictureJobs);
}

WritePipeline::WritePipeline(const SiteFolder& folder, unsigned jobs)
    : folder_(folder),
      jobs_(std::max(jobs, 1u)),
      window_(jobs_ == 1 ? 1 : std::min(kWindowPerJob * jobs_, kLargestWindow)) {}

WritePipeline::~WritePipeline() {
  Abandon();
  {
    MutexLock held(mutex_);
    stopping_ = true;
    work_.NotifyAll();
  }
  threads_.JoinAll();
}

Step WritePipeline::AddPage(std::string fileName, PageJob make) {
  Entry entry;
  entry.kind = Entry::Kind::Page;
  entry.fileName = std::move(fileName);
  entry.page = std::move(make);
  return Add(std::move(entry));
}

Step WritePipeline::AddPage(std::string fileName, const PageFile& made) {
  Entry entry;
  entry.kind = Entry::Kind::Page;
  entry.state = Entry::State::Made;
  entry.fileName = std::move(fileName);
  entry.bytes = made.Bytes();
  return Add(std::move(entry));
}

Step WritePipeline::AddPicture(std::string fileName, PictureJob make, PictureTurn turn) {
  Entry entry;
  entry.kind = Entry::Kind::Picture;
  entry.fileName = std::move(fileName);
  entry.picture = std::move(make);
  entry.pictureTurn = std::move(turn);
  return Add(std::move(entry));
}

Step WritePipeline::AddTurn(TurnJob turn) {
  Entry entry;
  entry.state = Entry::State::Made;
  entry.turn = std::move(turn);
  return Add(std::move(entry));
}

Step WritePipeline::Drain() { return Pump(0); }

void WritePipeline::Abandon() {
  MutexLock held(mutex_);
  // Nothing more is handed out or started; what runs ends first.
  stopAt_ = 0;
  skipFrom_ = 0;
  queued_ = 0;
  makeNext_ = front_ + entries_.size();
  while (busy_ > 0) WaitAsRunner(held);
  // The next stage starts afresh, whatever ended this one (an entry settled last may have been
  // the open picture or the one that stopped the rest).
  front_ += entries_.size();
  entries_.clear();
  makeNext_ = released_ = writeNext_ = front_;
  stopAt_ = skipFrom_ = UINT64_MAX;
  open_.reset();
  openWritten_ = false;
}

Step WritePipeline::Add(Entry entry) {
  if (jobs_ > 1 && !threadsStarted_) StartThreads();
  bool full = false;
  {
    MutexLock held(mutex_);
    full = entries_.size() >= window_;
  }
  // A full window is settled down to a quarter, so that the run's thread wakes once for many
  // entries.
  if (Step room = Pump(full ? window_ / 4 : window_ - 1); !room) return room;
  MutexLock held(mutex_);
  const bool toMake = entry.state == Entry::State::Waiting;
  entries_.push_back(std::move(entry));
  Advance();
  if (toMake) Posted(1);
  return Step::Next();
}

Step WritePipeline::Pump(std::size_t keep) {
  MutexLock held(mutex_);
  for (;;) {
    std::optional<Step> ended;
    const Settled settled = SettleFront(ended, held);
    if (ended) return *ended;
    if (settled == Settled::One) continue;
    if (entries_.size() <= keep) {
      // Writes this thread let pass and leaves behind go to a thread of the pool.
      if (queued_ > 0 && idle_ > 0) work_.NotifyOne();
      return Step::Next();
    }
    if (!RunOneTask(held)) WaitAsRunner(held);
  }
}

void WritePipeline::WaitAsRunner(MutexLock& held) {
  runnerWaiting_ = true;
  runner_.Wait(held);
  runnerWaiting_ = false;
}

void WritePipeline::Posted(std::size_t posted) {
  // A thread that has just written takes the first new write itself.
  if (writerGoesOn_) --posted;
  if (posted == 0) return;
  if (idle_ > 0) {
    if (posted > 1) {
      work_.NotifyAll();
    } else {
      work_.NotifyOne();
    }
  } else if (runnerWaiting_) {
    runner_.NotifyOne();
  }
}

void WritePipeline::Finished() {
  if (runnerWaiting_ && (busy_ == 0 || FrontReady())) runner_.NotifyOne();
}

bool WritePipeline::FrontReady() {
  if (entries_.empty()) return false;
  const Entry& entry = entries_.front();
  if (entry.thrown && entry.state >= Entry::State::Made) return true;
  switch (entry.kind) {
    case Entry::Kind::Turn:
      return true;
    case Entry::Kind::Page:
      return entry.refused || entry.state == Entry::State::Written;
    case Entry::Kind::Picture:
      return entry.refused || entry.state == Entry::State::Written ||
             (entry.state == Entry::State::Made && entry.outcome != EncodedPicture::Outcome::Encoded &&
              released_ > front_);
  }
  return false;
}

WritePipeline::Entry& WritePipeline::At(std::uint64_t sequence) {
  return entries_[static_cast<std::size_t>(sequence - front_)];
}

void WritePipeline::PopFront() {
  entries_.pop_front();
  ++front_;
  makeNext_ = std::max(makeNext_, front_);
  released_ = std::max(released_, front_);
}

// Everything before the front is settled, so a front that is ready is settled now.
WritePipeline::Settled WritePipeline::SettleFront(std::optional<Step>& ended, MutexLock& held) {
  if (entries_.empty()) return Settled::Nothing;
  if (!FrontReady()) return Settled::NotYet;
  Entry& entry = entries_.front();
  if (entry.thrown && entry.state >= Entry::State::Made) {
    const std::exception_ptr thrown = entry.thrown;
    PopFront();
    Unlocked unlocked(mutex_);
    std::rethrow_exception(thrown);
  }
  switch (entry.kind) {
    case Entry::Kind::Turn: {
      const TurnJob turn = std::move(entry.turn);
      PopFront();
      Unlocked unlocked(mutex_);
      if (Step step = turn(); !step) ended = std::move(step);
      return Settled::One;
    }
    case Entry::Kind::Page:
      if (entry.refused) {
        ended = Step::Fail(std::string(kOutputTooLarge));
        return Settled::One;
      }
      if (entry.writeFailed) {
        // The reason as the writing thread recorded it, as if this thread had written the file.
        RecordFileError(entry.writeError.path, entry.writeError.reason);
        ended = Step::Fail(std::string(kCannotWriteToFile), DescribeFileError(folder_.DataFile(entry.fileName)));
        return Settled::One;
      }
      if (entry.pageFailure) {
        ended = std::move(*entry.pageFailure);
        return Settled::One;
      }
      PopFront();
      return Settled::One;
    case Entry::Kind::Picture:
      return SettlePicture(entry, ended, held);
  }
  return Settled::NotYet;
}

WritePipeline::Settled WritePipeline::SettlePicture(Entry& entry, std::optional<Step>& ended, MutexLock& /*held*/) {
  const std::uint64_t sequence = front_;
  PictureEnd end{entry.state == Entry::State::Written && !entry.writeFailed, entry.outcome, std::move(entry.detail)};
  if (entry.writeFailed) RecordFileError(entry.writeError.path, entry.writeError.reason);
  const bool refused = entry.refused;
  const PictureTurn turn = std::move(entry.pictureTurn);
  PopFront();
  Step step = Step::Next();
  {
    // Nothing after the picture is handed out meanwhile: it is still the open one.
    Unlocked unlocked(mutex_);
    step = turn(end);
  }
  if (!step) {
    ended = std::move(step);
  } else if (refused) {
    ended = Step::Fail(std::string(kOutputTooLarge));
  } else {
    if (open_ == sequence) {
      open_.reset();
      openWritten_ = false;
    }
    Advance();
  }
  return Settled::One;
}

// Hands out, in the run's order, every made entry that no unsettled picture holds back,
// counting each file against the output limit first.
void WritePipeline::Advance() {
  const std::size_t queuedBefore = queued_;
  ReleaseInOrder();
  if (queued_ > queuedBefore) Posted(queued_ - queuedBefore);
}

void WritePipeline::ReleaseInOrder() {
  const std::uint64_t end = front_ + entries_.size();
  while (released_ < end && released_ < stopAt_ && !open_) {
    Entry& entry = At(released_);
    if (entry.state < Entry::State::Made) return;
    if (entry.thrown) {
      stopAt_ = released_;
      return;
    }
    if (entry.kind != Entry::Kind::Turn) {
      const bool toWrite = entry.kind == Entry::Kind::Page || entry.outcome == EncodedPicture::Outcome::Encoded;
      if (toWrite && !OutputLimit::ChargeFile(entry.bytes.size())) {
        entry.refused = true;
        stopAt_ = released_;
        return;
      }
      if (toWrite) {
        entry.queued = true;
        ++queued_;
      }
      if (entry.kind == Entry::Kind::Picture) open_ = released_;
      if (entry.pageFailure) stopAt_ = released_ + 1;
    }
    ++released_;
  }
}

bool WritePipeline::RunOneTask(MutexLock& held) {
  // Writes in the order they were handed out. Nothing here allocates: a thread of the pool
  // must not fail for memory while it holds the pipeline.
  writeNext_ = std::max(writeNext_, front_);
  while (queued_ > 0 && writeNext_ < released_) {
    const std::uint64_t sequence = writeNext_++;
    Entry& entry = At(sequence);
    if (!entry.queued) continue;
    entry.queued = false;
    --queued_;
    if (sequence >= skipFrom_) continue;
    Write(sequence, held);
    return true;
  }
  makeNext_ = std::max(makeNext_, front_);
  for (const std::uint64_t end = front_ + entries_.size(); makeNext_ < end;) {
    const std::uint64_t sequence = makeNext_++;
    if (At(sequence).state != Entry::State::Waiting) continue;
    Make(sequence, held);
    return true;
  }
  return false;
}

void WritePipeline::Make(std::uint64_t sequence, MutexLock& /*held*/) {
  Entry& entry = At(sequence);
  entry.state = Entry::State::Making;
  PageJob page = std::move(entry.page);
  PictureJob picture = std::move(entry.picture);
  ++busy_;
  std::vector<std::uint8_t> bytes;
  std::optional<Step> pageFailure;
  std::exception_ptr thrown;
  EncodedPicture::Outcome outcome = EncodedPicture::Outcome::NotDecoded;
  std::string detail;
  {
    Unlocked unlocked(mutex_);
    try {
      if (page) {
        PageFile text;
        if (Step made = page(text); !made) pageFailure = std::move(made);
        bytes = text.Bytes();
      } else {
        EncodedPicture made = MakePicture(picture);
        outcome = made.outcome;
        bytes = std::move(made.file);
        detail = std::move(made.detail);
      }
    } catch (...) {
      thrown = std::current_exception();
    }
    // What the job held (a sprite frame, say) goes now, not with the entry.
    page = nullptr;
    picture = nullptr;
  }
  Entry& made = At(sequence);
  made.bytes = std::move(bytes);
  made.pageFailure = std::move(pageFailure);
  made.thrown = thrown;
  made.outcome = outcome;
  made.detail = std::move(detail);
  made.state = Entry::State::Made;
  --busy_;
  Advance();
  Finished();
}

void WritePipeline::Write(std::uint64_t sequence, MutexLock& /*held*/) {
  Entry& entry = At(sequence);
  entry.state = Entry::State::Writing;
  std::vector<std::uint8_t> bytes = std::move(entry.bytes);
  const std::string& fileName = entry.fileName;  // the entry stays in place while it is written
  ++busy_;
  ++writing_;
  bool written = false;
  FileError error;
  std::exception_ptr thrown;
  {
    Unlocked unlocked(mutex_);
    try {
      written = WriteChargedFile(folder_.DataFolder(), fileName, bytes);
      if (!written) error = LastFileError();
    } catch (...) {
      thrown = std::current_exception();
    }
    bytes = {};
  }
  Entry& done = At(sequence);
  done.state = Entry::State::Written;
  done.writeFailed = !written;
  done.writeError = std::move(error);
  done.thrown = thrown;
  if (!written && (done.kind == Entry::Kind::Page || thrown)) {
    // The run ends at the first failing file in its order: nothing more is handed out, and no
    // later write that has not started starts.
    stopAt_ = std::min(stopAt_, released_);
    skipFrom_ = std::min(skipFrom_, sequence + 1);
  }
  --writing_;
  if (written && open_ == sequence) openWritten_ = true;
  // The open picture is settled once it and every file handed out before it are written: a file
  // that fails ends the run with nothing written beyond the next picture.
  if (openWritten_ && queued_ == 0 && writing_ == 0) {
    open_.reset();
    openWritten_ = false;
    writerGoesOn_ = true;
    Advance();
    writerGoesOn_ = false;
  }
  --busy_;
  Finished();
}

Step SettledFirst(WritePipeline& files, Step step) {
  if (step) return step;
  if (Step settled = files.Drain(); !settled) return settled;
  return step;
}

void WritePipeline::StartThreads() {
  threadsStarted_ = true;
  for (unsigned t = 1; t < jobs_; ++t) {
    // With fewer threads than asked for, the run's thread does the rest.
    if (!threads_.Start([this] { ServeThread(); })) break;
  }
}

void WritePipeline::ServeThread() {
  MutexLock held(mutex_);
  while (!stopping_) {
    if (RunOneTask(held)) continue;
    ++idle_;
    work_.Wait(held);
    --idle_;
  }
}

}  // namespace gvde
