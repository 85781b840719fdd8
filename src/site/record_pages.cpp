#include "site/record_pages.h"

#include <string>

#include "site/run_messages.h"

namespace gvde {
namespace {

std::string RecordFileName(const Category& category, std::uint32_t n, std::string_view extension) {
  std::string name(category.prefix);
  name += NumToStr(n);
  name += extension;
  return name;
}

// Picture n of the category: data/<prefix><n>.png recorded once written, or, when it could not
// be made or written, the question whether to stop, with why.
PictureTurn RecordPictureTurn(Run& run, const Category& category, std::uint32_t n, std::string fileName) {
  return [&run, kind = category.pictureKind, n, fileName = std::move(fileName)](const PictureEnd& end) {
    if (end.written) {
      run.writtenPictures.push_back("data/" + fileName);
      return Step::Next();
    }
    const std::string question = PictureQuestion(kind, n);
    if (end.outcome != EncodedPicture::Outcome::Encoded) return run.PictureFailed(question, end.detail);
    // The write's reason, as the thread that wrote recorded it, is this thread's last file error.
    return run.PictureFailed(question, DescribeFileError(run.folder.DataFile(fileName)));
  };
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

Step AddRecord(Run& run, const Category& category, std::uint32_t n, std::uint32_t total) {
  // The page's job points at the category, which outlives the pipeline's entries.
  Step added = run.files.AddPage(RecordFileName(category, n, ".htm"),
                                 [write = &category.writePage, n](PageFile& page) {
                                   (*write)(page, n);
                                   return Step::Next();
                                 });
  if (added && category.preparePicture) {
    // Picture n comes after its page, so its file and its question keep their place.
    std::string fileName = RecordFileName(category, n, ".png");
    PictureTurn turn = RecordPictureTurn(run, category, n, fileName);
    added = run.files.AddPicture(std::move(fileName), PrepareWithReaderFailure(run, category, n),
                                 std::move(turn));
  }
  if (!added) return added;
  return run.files.AddTurn([&host = run.host, title = category.title, n, total] {
    host.ShowProgress(title, n + 1, total);
    return Step::Next();
  });
}

}  // namespace

Step WriteRecordPages(Run& run, const Category& category, FirstCharCount& counts) {
  const auto total = static_cast<std::uint32_t>(category.names.size());
  for (std::uint32_t n = 0; n < total; ++n) {
    counts.Count(category.names[n]);
    if (Step added = AddRecord(run, category, n, total); !added) return added;
  }
  return Step::Next();
}

Step WriteCategory(Run& run, const Category& category) {
  FirstCharCount counts;
  if (Step written = WriteRecordPages(run, category, counts); !written) return written;
  return WriteCategoryLists(run.files, category.prefix, category.title, category.names, counts,
                            category.lists);
}

}  // namespace gvde
