#include "site/record_pictures.h"

#include "platform/num_to_str.h"
#include "site/run_messages.h"

namespace gvde {

Step CommitRecordPicture(Run& run, std::string_view prefix, std::string_view kind, std::uint32_t n,
                         const EncodedPicture& picture) {
  const std::string fileName = std::string(prefix) + NumToStr(n) + ".png";
  const bool written =
      picture.outcome == EncodedPicture::Outcome::Encoded && run.folder.WriteDataFile(fileName, picture.file);
  if (written) run.writtenPictures.push_back("data/" + fileName);
  if (!written) return run.PictureFailed(PictureQuestion(kind, n));
  return Step::Next();
}

PictureJob RecordPictureJob(const Run& run, const std::optional<MonsterFrame>& frame) {
  if (!frame) return [] { return EncodedPicture{}; };
  return MonsterPictureJob(run.png, *frame);
}

}  // namespace gvde
