// Files written outside the site (the data document, the CSV tables) that replace their earlier
// content whole or not at all. Each is written under a name of its own beside the file it
// replaces ("data.json.k3Xq9Z.tmp", made as mkstemp makes one, so that two programs writing one
// file never share it) and renamed over it only when every file of the set was written: a
// reader sees either the earlier file or the whole new one. A name that is a link keeps the
// link, and the file it leads to is replaced. What is not a plain file (a device, a named pipe)
// and "-", standard output, are written into as the content is made: there is nothing there to
// replace.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace gvde {

// The name that stands for standard output, and how messages name it.
inline constexpr std::string_view kStandardOutputName = "-";
inline constexpr std::string_view kStandardOutputText = "standard output";

class ReplacingFiles {
 public:
  ReplacingFiles() = default;
  ReplacingFiles(const ReplacingFiles&) = delete;
  ReplacingFiles& operator=(const ReplacingFiles&) = delete;
  // Removes the temporary files that were not renamed.
  ~ReplacingFiles();

  // Starts the file for `path` (kStandardOutputName: standard output); false when it cannot be
  // begun.
  bool Begin(const std::string& path);
  // Appends to the file begun last.
  void Write(std::string_view piece);
  // Closes the file begun last; false when it was not written whole, or when `made` is false
  // (its content could not be made).
  bool End(bool made = true);
  // Renames every file over its path, in the order begun; false at the first that cannot be.
  // `interrupted` is asked once before the first rename: when it says so, nothing is renamed,
  // every earlier file stays as it was and Interrupted() tells why Commit gave false.
  bool Commit(const std::function<bool()>& interrupted = {});
  bool Interrupted() const { return interrupted_; }

  // The file that failed last (Begin, End or Commit), named as it was given ("standard
  // output" for "-").
  const std::string& FailedPath() const { return failedPath_; }
  // What stood in the way: "<file>: <reason>", naming the temporary file when it was the
  // obstacle; empty when unknown.
  const std::string& FailureDetail() const { return failureDetail_; }

 private:
  struct Pending {
    std::string path;       // as given, for messages
    std::string target;     // what the rename replaces: `path` with its links followed
    std::string temporary;  // empty for a file written where it is
    bool renamed = false;
  };
  bool Begin(Pending& file);
  bool Fail(const std::string& path, std::string detail);

  std::deque<Pending> files_;
  OutputFile current_;
  std::string failedPath_;
  std::string failureDetail_;
  bool interrupted_ = false;
};

}  // namespace gvde
