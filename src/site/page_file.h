// Output pages: the text of a page, and the output folder that names its files.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/file_error.h"
#include "platform/file_system.h"
#include "platform/html_text.h"
#include "platform/num_to_str.h"
#include "site/run_messages.h"
#include "site/step.h"

namespace gvde {

// Text from the game (names, file names, the title) as a page shows it: escaped.
struct GameText {
  std::string_view text;
};

// The text of a page, kept in memory (the pages of the write pipeline, made on any thread) or
// written to a file as it comes (large files written at once: the explorer's).
class PageFile {
 public:
  PageFile();
  explicit PageFile(OutputFile& file) : file_(&file) {}
  ~PageFile();
  PageFile(const PageFile&) = delete;
  PageFile& operator=(const PageFile&) = delete;

  PageFile& operator<<(std::string_view text) {
    Put(text);
    return *this;
  }
  PageFile& operator<<(const char* text) { return *this << std::string_view(text); }
  PageFile& operator<<(const std::string& text) { return *this << std::string_view(text); }
  PageFile& operator<<(std::int32_t n) { return *this << std::string_view(NumToStr(n)); }
  PageFile& operator<<(std::uint32_t n) { return *this << std::string_view(NumToStr(n)); }
  PageFile& operator<<(std::uint16_t n) { return *this << std::string_view(NumToStr(n)); }
  PageFile& operator<<(std::uint8_t n) { return *this << std::string_view(NumToStr(n)); }
  PageFile& operator<<(GameText game) {
    WriteEscapedHtml(game.text, [this](std::string_view piece) { Put(piece); });
    return *this;
  }
  PageFile& operator<<(char c) = delete;  // a single byte is text, write a string_view

  // The text kept in memory so far.
  std::string_view Text() const { return text_; }
  // A copy of that text of exactly its size.
  std::vector<std::uint8_t> Bytes() const;

 private:
  void Put(std::string_view text) {
    if (file_ != nullptr) {
      file_->Write(text);
    } else {
      text_.append(text);
    }
  }

  OutputFile* file_ = nullptr;
  // In memory: taken from the thread's spare text at construction and given back at the end, so
  // that the pages made on a thread reuse one buffer.
  std::string text_;
};

// Makes a page's text on any thread: it reads only what stays unchanged meanwhile. A failure is
// passed on once the text made so far is written.
using PageJob = std::function<Step(PageFile& page)>;

// The head every page of the data folder starts with.
inline constexpr std::string_view kPageHead =
    "<html><head><link rel=\"stylesheet\" type=\"text/css\" href=\"style.css\" media=\"all\"></head><body>";

// The output folder as the user gave it: paths are plain concatenations, and the site's
// literal "data\" becomes the platform's separator. Files of the data folder are created in it
// as held open by OpenDataFolder.
class SiteFolder {
 public:
  SiteFolder() = default;
  explicit SiteFolder(std::string outputDir) : outputDir_(std::move(outputDir)) {}

  const std::string& OutputDir() const { return outputDir_; }
  // OutputDir + "data" + separator + fileName.
  std::string DataFile(std::string_view fileName) const;

  // Makes the output folder and the parents it lacks. A level that cannot be made fails the
  // step with kCannotCreateDataDir and its reason.
  Step MakeOutputFolder() const;
  // Creates the data folder unless it is there and holds it open for the run. A folder that
  // cannot be created or opened fails the step with kCannotCreateDataDir and the reason.
  Step OpenDataFolder();
  const OutputFolder& DataFolder() const { return data_; }

  // Creates data/<fileName> holding `bytes`; false when it cannot be created or written whole.
  bool WriteDataFile(std::string_view fileName, std::span<const std::uint8_t> bytes) const {
    return WriteWholeFile(data_, fileName, bytes);
  }

  // Creates data/<fileName>, lets `fill` write it as it comes and closes it, on the calling
  // thread (for files written outside the write pipeline). A file that cannot be created or
  // written whole fails the step with kCannotWriteToFile and the system's reason; a failure of
  // `fill` itself is passed on after the file is closed.
  template <typename Fill>
  Step WritePage(std::string_view fileName, Fill&& fill) const {
    OutputFile file;
    const bool created = file.Create(data_, fileName);
    return FillAndClose(file, created, fill, [&] { return DataFile(fileName); });
  }

  // The same for a file beside index.htm: OutputDir + fileName.
  template <typename Fill>
  Step WriteTopPage(std::string_view fileName, Fill&& fill) const {
    const std::string path = outputDir_ + std::string(fileName);
    OutputFile file;
    const bool created = file.Create(path);
    return FillAndClose(file, created, fill, [&] { return path; });
  }

 private:
  // `path` is only asked for when the step fails.
  template <typename Fill, typename Path>
  static Step FillAndClose(OutputFile& file, bool created, Fill& fill, const Path& path) {
    if (!created) return CannotWrite(path());
    PageFile page(file);
    Step filled = fill(page);
    const bool closed = file.Close();
    if (!filled) return filled;
    if (!closed) return CannotWrite(path());
    return Step::Next();
  }
  static Step CannotWrite(const std::string& path) {
    return Step::Fail(std::string(kCannotWriteToFile), DescribeFileError(path));
  }

  std::string outputDir_;
  OutputFolder data_;
};

}  // namespace gvde
