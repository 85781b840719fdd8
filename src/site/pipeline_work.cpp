// The work of the write pipeline, on whichever thread does it: handing made entries out for
// writing in the run's order, making pages and pictures, writing files, and the pool's threads.
#include <algorithm>
#include <utility>

#include "platform/file_system.h"
#include "platform/output_limit.h"
#include "site/pipeline_entry.h"

namespace gvde {

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
      const bool toWrite =
          entry.kind == Entry::Kind::Page || entry.outcome == EncodedPicture::Outcome::Encoded;
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
