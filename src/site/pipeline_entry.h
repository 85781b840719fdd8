// What the write pipeline keeps of each entry, shared by its two halves: write_pipeline.cpp
// (adding and settling in the run's order) and pipeline_work.cpp (making, handing out and
// writing on any thread). Not for use elsewhere.
#pragma once

#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_error.h"
#include "platform/threads.h"
#include "site/write_pipeline.h"

namespace gvde {

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
  std::vector<std::uint8_t> bytes;  // made, not yet written
  std::string detail;               // why a picture was not made
  std::optional<Step> pageFailure;  // what the page's job returned when it failed
  std::exception_ptr thrown;        // making or writing threw: thrown again at its turn
  FileError writeError;             // why the write failed, as the writing thread recorded it
};

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

}  // namespace gvde
