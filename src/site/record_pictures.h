// The pictures of monster and boss pages: what the record loop calls for each one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "image/picture_encoder.h"
#include "site/run.h"
#include "site/step.h"

namespace gvde {

// Picture n of the category with file prefix `prefix` ("m") and question word `kind`
// ("monster"): data/<prefix><n>.png written and recorded, or, when it could not be made or
// written, the question whether to stop. Yes stops the run.
Step CommitRecordPicture(Run& run, std::string_view prefix, std::string_view kind, std::uint32_t n,
                         const EncodedPicture& picture);

// The job of a picture read by the run's sprite reader; one that fails when nothing could be
// read.
PictureJob RecordPictureJob(const Run& run, const std::optional<MonsterFrame>& frame);

}  // namespace gvde
