#include "site/item_picture_stage.h"

#include <algorithm>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "image/item_images.h"
#include "platform/num_to_str.h"

namespace gvde {

namespace {

using FileBytes = std::shared_ptr<const std::vector<std::uint8_t>>;

// Picture `number`, told at its turn: recorded once written, passed over when the frame does not
// decode; a decoded picture that cannot be made or written whole ends the run, naming its file.
PictureTurn ItemPictureTurn(Run& run, std::string fileName, const std::string& archiveName) {
  return [&run, fileName = std::move(fileName), archiveName](const PictureEnd& end) {
    if (end.written) {
      run.writtenPictures.push_back("data/" + fileName);
      return Step::Next();
    }
    if (end.outcome == EncodedPicture::Outcome::NotDecoded) return Step::Next();
    const std::string path = run.folder.DataFile(fileName);
    if (end.outcome != EncodedPicture::Outcome::Encoded) {
      return Step::Fail(std::string(kCannotWriteItemImages), path + ": " + archiveName + " " + end.detail);
    }
    // The write's reason, as the thread that wrote recorded it, is this thread's last file error.
    return Step::Fail(std::string(kCannotWriteItemImages), DescribeFileError(path));
  };
}

// The detail when an item graphics file has no frame to make pictures of.
std::string NoFramesDetail(const std::string& archiveName, std::uint32_t firstFrame) {
  if (firstFrame == 0) return archiveName + " holds no frames";
  return archiveName + " has no frame " + NumToStr(firstFrame);
}

// An item graphics file read from the archives, or the step that ends the run instead.
struct ItemGraphics {
  std::string archiveName;
  FileBytes file;
  Step read = Step::Next();
};

// Extracts "data\inv\" + name.
ItemGraphics ReadItemGraphics(Run& run, const std::string& name) {
  ItemGraphics graphics{"data\\inv\\" + name, nullptr};
  std::vector<std::uint8_t> extractedFile;
  const std::int32_t extracted = run.archives.ExtractFile(extractedFile, graphics.archiveName);
  if (extracted == 0) graphics.read = Step::Fail(CannotExtract(name), run.archives.TakeReaderFailure());
  if (extracted < 0) graphics.read = Step::Fail(FileTooLarge(name), run.archives.TakeReaderFailure());
  if (extracted <= 0) return graphics;
  extractedFile.resize(std::min(extractedFile.size(), static_cast<std::size_t>(extracted)));
  graphics.file = std::make_shared<const std::vector<std::uint8_t>>(std::move(extractedFile));
  return graphics;
}

// Adds the pictures of frames firstFrame .. N-2 to the pipeline, to be encoded ahead and written
// in frame order, and gives N - firstFrame.
Step AddItemFrames(Run& run, const ItemGraphics& graphics, std::uint32_t firstFrame,
                   std::uint32_t firstNumber, std::uint32_t& count) {
  const ItemFrames frames = ItemFramesOf(*graphics.file, firstFrame);
  count = frames.count;
  const PngWriter& png = run.png;
  for (std::uint32_t i = 0; i < frames.end - frames.first; ++i) {
    std::string fileName = "i" + NumToStr(firstNumber + i) + ".png";
    PictureTurn turn = ItemPictureTurn(run, fileName, graphics.archiveName);
    PictureJob make = [&png, file = graphics.file, frame = frames.first + i] {
      return EncodeItemFrame(png, *file, frame);
    };
    if (Step added = run.files.AddPicture(std::move(fileName), std::move(make), std::move(turn)); !added) {
      return added;
    }
  }
  return Step::Next();
}

// Everything in the pipeline settled, then `count` checked: a file without frames ends the run.
Step SettleFrames(Run& run, const ItemGraphics& graphics, std::uint32_t firstFrame, std::uint32_t count) {
  if (Step settled = run.files.Drain(); !settled) return settled;
  if (count == 0)
    return Step::Fail(std::string(kCannotWriteItemImages), NoFramesDetail(graphics.archiveName, firstFrame));
  return Step::Next();
}

}  // namespace

Step WriteItemPictureStage(Run& run) {
  const PipelineStage stage(run.files);
  // Each file is read while what came before it is still made and written; what ends the run is
  // told in the order of a run that reads it after them.
  const ItemGraphics first = ReadItemGraphics(run, "invobj1.cel");
  if (!first.read) return SettledFirst(run.files, first.read);
  std::uint32_t firstCount = 0;
  if (Step added = AddItemFrames(run, first, 11, 0, firstCount); !added) return added;
  const ItemGraphics third = ReadItemGraphics(run, "invobj3.cel");
  if (Step settled = SettleFrames(run, first, 11, firstCount); !settled) return settled;
  if (!third.read) return third.read;
  // invobj3.cel goes on with the number the unwritten last frame of invobj1.cel would have had.
  std::uint32_t thirdCount = 0;
  if (Step added = AddItemFrames(run, third, 0, firstCount - 1, thirdCount); !added) return added;
  return SettleFrames(run, third, 0, thirdCount);
}

}  // namespace gvde
