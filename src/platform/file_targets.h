// Where a run puts files: folders made with their parents, and the questions asked about a file
// named by the user before it is written outside the site (where its links lead, whether its
// folder takes new files, whether it is one of the run's inputs). Failures are recorded for
// DescribeFileError (platform/file_error.h).
#pragma once

#include <optional>
#include <string>

namespace gvde {

// Makes the folder `path` and the parents it lacks. False, with the reason recorded for the
// first level that could not be made ("out/new: Permission denied"); a level that is there as
// something other than a folder is left for the next level, or the folder's first use, to
// report.
bool MakeDirectories(const std::string& path);

// What is at a path, its links followed.
enum class PathKind {
  Missing,    // nothing: a file would be created there
  PlainFile,  // a regular file
  Folder,
  Other,      // a device, a named pipe, a socket: written into where it is, never replaced
};

struct LinkEnd {
  std::string path;  // the path itself, or where its links lead
  PathKind kind = PathKind::Missing;
};

// Follows the links at `path` to their end (at most 40; a link that leads nowhere ends at the
// name it gives). nullopt, with the reason recorded for `path`, when they cannot be followed.
std::optional<LinkEnd> FollowLinks(const std::string& path);

// True when new files can be created in `folder` ("" is the current folder): it is there, is
// a folder and may be written. False with the reason recorded for `folder`.
bool FolderTakesFiles(const std::string& folder);

// True when both paths lead to one existing file (the same file through a link or a second
// name counts).
bool SameFile(const std::string& a, const std::string& b);

// The absolute path of an existing file or folder with every link resolved; nullopt when it
// cannot be had.
std::optional<std::string> ResolvedPath(const std::string& path);

// The folder part of `path` ("" for a bare name): everything before its last separator.
std::string FolderOf(const std::string& path);

}  // namespace gvde
