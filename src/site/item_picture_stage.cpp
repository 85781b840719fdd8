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

// The pictures of frames firstFrame .. N-2, encoded ahead on the pipeline's threads and written
// in frame order.
Step WriteItemFrames(Run& run, const FileBytes& file, const std::string& archiveName, const ItemFrames& frames,
                     std::uint32_t firstNumber) {
  const PipelineStage stage(run.files);
  const PngWriter& png = run.png;
  for (std::uint32_t i = 0; i < frames.end - frames.first; ++i) {
    std::string fileName = "i" + NumToStr(firstNumber + i) + ".png";
    PictureTurn turn = ItemPictureTurn(run, fileName, archiveName);
    PictureJob make = [&png, file, frame = frames.first + i] { return EncodeItemFrame(png, *file, frame); };
    if (Step added = run.files.AddPicture(std::move(fileName), std::move(make), std::move(turn)); !added) {
      return added;
    }
  }
  return run.files.Drain();
}

// Extracts "data\inv\" + name and writes its frames from firstFrame on, giving their count.
Step WriteItemGraphicsFile(Run& run, const std::string& name, std::uint32_t firstFrame,
                           std::uint32_t firstNumber, std::uint32_t& count) {
  std::vector<std::uint8_t> extractedFile;
  const std::string archiveName = "data\\inv\\" + name;
  const std::int32_t extracted = run.archives.ExtractFile(extractedFile, archiveName);
  if (extracted == 0) return Step::Fail(CannotExtract(name), run.archives.TakeReaderFailure());
  if (extracted < 0) return Step::Fail(FileTooLarge(name), run.archives.TakeReaderFailure());
  extractedFile.resize(std::min(extractedFile.size(), static_cast<std::size_t>(extracted)));
  const FileBytes file = std::make_shared<const std::vector<std::uint8_t>>(std::move(extractedFile));
  const ItemFrames frames = ItemFramesOf(*file, firstFrame);
  count = frames.count;
  if (Step written = WriteItemFrames(run, file, archiveName, frames, firstNumber); !written) return written;
  if (count == 0) return Step::Fail(std::string(kCannotWriteItemImages), NoFramesDetail(archiveName, firstFrame));
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
