#include "site/record_pages.h"

#include <optional>
#include <string>

#include "site/run_messages.h"

namespace gvde {
namespace {

// Picture n of the category: data/<prefix><n>.png written and recorded, or, when it could not
// be made or written, the question whether to stop, with why.
Step CommitRecordPicture(Run& run, const Category& category, std::uint32_t n, const EncodedPicture& picture) {
  const std::string fileName = std::string(category.prefix) + NumToStr(n) + ".png";
  const std::string question = PictureQuestion(category.pictureKind, n);
  if (picture.outcome != EncodedPicture::Outcome::Encoded) return run.PictureFailed(question, picture.detail);
  if (!run.folder.WriteDataFile(fileName, picture.file)) {
    return run.PictureFailed(question, DescribeFileError(run.folder.DataFile(fileName)));
  }
  run.writtenPictures.push_back("data/" + fileName);
  return Step::Next();
}

// Picture n as the category prepares it, carrying what went wrong with the archive reader
// while its files were read: that failure is told under picture n's question.
PictureJob PrepareWithReaderFailure(Run& run, const Category& category, std::uint32_t n) {
  PictureJob job = category.preparePicture(n);
  std::string failure = run.archives.TakeReaderFailure();
  if (failure.empty()) return job;
  return [job = std::move(job), failure = std::move(failure)] {
    EncodedPicture picture = job();
    picture.detail = failure;
    return picture;
  };
}

}  // namespace

Step WriteRecordPages(Run& run, const Category& category, FirstCharCount& counts) {
  const auto total = static_cast<std::uint32_t>(category.names.size());
  std::optional<PictureStream> pictures;
  if (category.preparePicture) {
    pictures.emplace(run.encoder, total, [&run, &category](std::uint32_t n) {
      return PrepareWithReaderFailure(run, category, n);
    });
  }
  for (std::uint32_t n = 0; n < total; ++n) {
    const std::string fileName = std::string(category.prefix) + NumToStr(n) + ".htm";
    Step written = run.folder.WritePage(fileName, [&](PageFile& page) {
      counts.Count(category.names[n]);
      category.writePage(page, n);
      return Step::Next();
    });
    if (!written) return written;
    if (pictures) {
      // Picture n is taken after its page, so its file and its question keep their place.
      if (Step pictured = CommitRecordPicture(run, category, n, pictures->Next()); !pictured) return pictured;
    }
    run.host.ShowProgress(category.title, n + 1, total);
  }
  return Step::Next();
}

Step WriteCategory(Run& run, const Category& category) {
  FirstCharCount counts;
  if (Step written = WriteRecordPages(run, category, counts); !written) return written;
  return WriteCategoryLists(run.folder, category.prefix, category.title, category.names, counts,
                            category.lists);
}

}  // namespace gvde
