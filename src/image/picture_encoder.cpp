#include "image/picture_encoder.h"

#include <new>

namespace gvde {

// Nothing a picture does may end a thread or the run, except memory that cannot be had.
EncodedPicture MakePicture(const PictureJob& job) {
  try {
    return job();
  } catch (const std::bad_alloc&) {
    throw;
  } catch (...) {
  }
  return {EncodedPicture::Outcome::NotEncoded, {}, "the picture could not be made"};
}

}  // namespace gvde
