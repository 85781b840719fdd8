#include "site/write_pipeline.h"

#include <algorithm>
#include <utility>

#include "site/pipeline_entry.h"
#include "site/run_messages.h"

namespace gvde {

namespace {

// Entries per job that may wait to be settled: pictures and pages made ahead, so that a thread
// that finished a write finds the next work made.
constexpr std::size_t kWindowPerJob = 64;
// However many threads there are, the entries held stay few: pictures of a few MiB at most.
constexpr std::size_t kLargestWindow = 1024;

}  // namespace

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
        ended =
            Step::Fail(std::string(kCannotWriteToFile), DescribeFileError(folder_.DataFile(entry.fileName)));
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

WritePipeline::Settled WritePipeline::SettlePicture(Entry& entry, std::optional<Step>& ended,
                                                    MutexLock& /*held*/) {
  const std::uint64_t sequence = front_;
  PictureEnd end{entry.state == Entry::State::Written && !entry.writeFailed, entry.outcome,
                 std::move(entry.detail)};
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

Step SettledFirst(WritePipeline& files, Step step) {
  if (step) return step;
  if (Step settled = files.Drain(); !settled) return settled;
  return step;
}

}  // namespace gvde
