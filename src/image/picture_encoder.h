// What making one picture comes to, and the job that makes it on any thread: decoding the frame,
// filtering the rows and compressing them into the whole PNG file in memory. The site's write
// pipeline (site/write_pipeline.h) runs the jobs ahead on its threads.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

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

// Runs `job`: memory that cannot be had is thrown (std::bad_alloc), anything else that throws
// gives a picture not encoded.
EncodedPicture MakePicture(const PictureJob& job);

}  // namespace gvde
