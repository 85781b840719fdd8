#include "site/item_picture_stage.h"

#include <algorithm>
#include <span>
#include <vector>

#include "image/item_images.h"
#include "platform/num_to_str.h"

namespace gvde {

namespace {

// Extracts "data\inv\" + name and writes its frames from firstFrame on, giving their count.
Step WriteItemGraphicsFile(Run& run, const std::string& name, std::uint32_t firstFrame, std::uint32_t firstNumber,
                           std::uint32_t& count) {
  std::vector<std::uint8_t> file;
  const std::int32_t extracted = run.archives.ExtractFile(file, "data\\inv\\" + name);
  if (extracted == 0) return Step::Fail(CannotExtract(name));
  if (extracted < 0) return Step::Fail(FileTooLarge(name));
  const std::span<const std::uint8_t> bytes(file.data(), std::min(file.size(), static_cast<std::size_t>(extracted)));
  std::vector<std::uint32_t> written;
  count = WriteItemImages(run.png, run.folder.DataFile("i"), firstFrame, firstNumber, bytes, &written);
  for (const std::uint32_t number : written) {
    run.writtenPictures.push_back("data/i" + NumToStr(number) + ".png");
  }
  if (count == 0) return Step::Fail(std::string(kCannotWriteItemImages));
  return Step::Next();
}

}  // namespace

Step WriteItemPictureStage(Run& run) {
  std::uint32_t firstCount = 0;
  if (Step written = WriteItemGraphicsFile(run, "invobj1.cel", 11, 0, firstCount); !written) return written;
  // invobj3.cel goes on with the number the unwritten last frame of invobj1.cel would have had.
  std::uint32_t thirdCount = 0;
  return WriteItemGraphicsFile(run, "invobj3.cel", 0, firstCount - 1, thirdCount);
}

}  // namespace gvde
