// Pictures made by the run's own units outside a run, for tests that compare or decode them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "image/sprites.h"

namespace gvde::testkit {

// A monster picture as the run makes it: read by a fresh frame reader, then decoded and
// encoded by its picture job on this thread. Inline so that the test kit itself does not
// depend on the image module.
inline EncodedPicture MonsterPicture(FileSource& files, const PngWriter& png, const std::string& spriteName,
                                     const std::optional<std::string>& ownTable,
                                     const std::optional<std::string>& bossTable, std::uint32_t frameWidth) {
  MonsterFrameReader reader(files);
  return MonsterPictureJob(png, reader.Read(spriteName, ownTable, bossTable, frameWidth))();
}

}  // namespace gvde::testkit
