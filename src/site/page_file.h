// Output pages: a file created anew and written piece by piece, and the output folder that
// names them.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>

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

class PageFile {
 public:
  bool Create(const std::string& path) { return file_.Create(path); }
  bool Create(const OutputFolder& folder, std::string_view name) { return file_.Create(folder, name); }
  PageFile& operator<<(std::string_view text) {
    file_.Write(text);
    return *this;
  }
  PageFile& operator<<(const char* text) { return *this << std::string_view(text); }
  PageFile& operator<<(const std::string& text) { return *this << std::string_view(text); }
  PageFile& operator<<(std::int32_t n) { return *this << std::string_view(NumToStr(n)); }
  PageFile& operator<<(std::uint32_t n) { return *this << std::string_view(NumToStr(n)); }
  PageFile& operator<<(std::uint16_t n) { return *this << std::string_view(NumToStr(n)); }
  PageFile& operator<<(std::uint8_t n) { return *this << std::string_view(NumToStr(n)); }
  PageFile& operator<<(GameText game) {
    WriteEscapedHtml(game.text, [this](std::string_view piece) { file_.Write(piece); });
    return *this;
  }
  PageFile& operator<<(char c) = delete;  // a single byte is text, write a string_view
  // True when creation, every write and the close succeeded.
  bool Close() { return file_.Close(); }
  bool IsOpen() const { return file_.IsOpen(); }

 private:
  OutputFile file_;
};

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

  // Creates data/<fileName>, lets `fill` write it and closes it. A file that cannot be created
  // or written whole fails the step with kCannotWriteToFile and the system's reason; a failure
  // of `fill` itself is passed on after the file is closed.
  template <typename Fill>
  Step WritePage(std::string_view fileName, Fill&& fill) const {
    PageFile page;
    const bool created = page.Create(data_, fileName);
    return FillAndClose(page, created, fill, [&] { return DataFile(fileName); });
  }

  // The same for a file beside index.htm: OutputDir + fileName.
  template <typename Fill>
  Step WriteTopPage(std::string_view fileName, Fill&& fill) const {
    const std::string path = outputDir_ + std::string(fileName);
    PageFile page;
    const bool created = page.Create(path);
    return FillAndClose(page, created, fill, [&] { return path; });
  }

 private:
  // `path` is only asked for when the step fails.
  template <typename Fill, typename Path>
  static Step FillAndClose(PageFile& page, bool created, Fill& fill, const Path& path) {
    if (!created) return CannotWrite(path());
    Step filled = fill(page);
    const bool closed = page.Close();
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
