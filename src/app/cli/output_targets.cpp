#include "app/cli/output_targets.h"

#include <vector>

#include "export/csv_tables.h"
#include "export/replacing_file.h"
#include "export/source_files.h"
#include "platform/file_error.h"
#include "platform/file_system.h"
#include "platform/file_targets.h"

namespace gvde {

namespace {

using Problem = std::optional<TargetProblem>;

Problem CannotWrite(const std::string& target, std::string detail) {
  return TargetProblem{"Cannot write " + target, std::move(detail)};
}

// The folder as the file layer names it: "." for the current one.
std::string FolderName(const std::string& folder) { return folder.empty() ? "." : folder; }

// True when `folder` or a folder that holds it is the output folder (through links too).
bool InsideOutputFolder(const std::string& folder, const std::string& outputDir) {
  if (outputDir.empty()) return false;
  std::optional<std::string> at = ResolvedPath(FolderName(folder));
  while (at && !at->empty()) {
    if (SameFile(*at, outputDir)) return true;
    const std::string up = FolderOf(*at);
    if (up == *at) break;
    at = up;
  }
  return false;
}

std::string WithoutTrailingSeparators(std::string dir) {
  while (dir.size() > 1 && (dir.back() == PathSeparator() || dir.back() == '/')) dir.pop_back();
  return dir;
}

// Where a folder that is not there yet would be: its resolved parent and its own name; empty
// when the parent is not there either.
std::string PathToBe(const std::string& folder) {
  const std::string path = WithoutTrailingSeparators(folder);
  const std::optional<std::string> parent = ResolvedPath(FolderName(FolderOf(path)));
  if (!parent) return {};
  std::string name = path.substr(FolderOf(path).size());
  while (!name.empty() && (name.front() == PathSeparator() || name.front() == '/')) name.erase(0, 1);
  return *parent + PathSeparator() + name;
}

// True when `path`, which is not there, is where the run would make the output folder.
bool IsOutputFolderToBe(const std::string& path, const std::string& outputDir) {
  const std::string toBe = PathToBe(path);
  return !toBe.empty() && toBe == PathToBe(outputDir);
}

// What a file target must not be: one of the run's inputs, or a file of the output folder.
struct Forbidden {
  std::vector<std::string> inputs;
  std::string outputDir;
};

Problem CheckForbidden(const std::string& name, const LinkEnd& end, const Forbidden& forbidden) {
  for (const std::string& input : forbidden.inputs) {
    if (!SameFile(end.path, input)) continue;
    if (name == input) return CannotWrite(name, name + " is an input of the run");
    // Through a link, or a second name of the same file.
    return CannotWrite(name, name + " is the same file as " + input + ", an input of the run");
  }
  if (InsideOutputFolder(FolderOf(name), forbidden.outputDir) ||
      InsideOutputFolder(FolderOf(end.path), forbidden.outputDir)) {
    return CannotWrite(name, name + " is inside the output folder " + forbidden.outputDir);
  }
  // Neither is there yet: the run would make the output folder where the file goes.
  if (end.kind == PathKind::Missing && IsOutputFolderToBe(end.path, forbidden.outputDir)) {
    return CannotWrite(name, name + " is the output folder " + forbidden.outputDir);
  }
  return std::nullopt;
}

// A file that the run replaces, or writes into where it is (ReplacingFiles).
Problem CheckFileTarget(const std::string& name, const Forbidden& forbidden) {
  if (name == kStandardOutputName) return std::nullopt;
  ClearFileError();
  const std::optional<LinkEnd> end = FollowLinks(name);
  if (!end) return CannotWrite(name, DescribeFileError(name));
  if (end->kind == PathKind::Folder) return CannotWrite(name, name + ": Is a directory");
  if (Problem refused = CheckForbidden(name, *end, forbidden)) return refused;
  if (end->kind == PathKind::Other) return std::nullopt;
  // The temporary file is made beside the file the links lead to.
  const std::string folder = FolderName(FolderOf(end->path));
  if (!FolderTakesFiles(folder)) return CannotWrite(name, DescribeFileError(folder));
  return std::nullopt;
}

// The CSV folder: made at the end when missing, in a folder that must take it; when it is
// there, each of its tables is a file target of its own.
Problem CheckCsvFolder(const std::string& given, const Forbidden& forbidden) {
  const std::string dir = WithoutTrailingSeparators(given);
  ClearFileError();
  const std::optional<LinkEnd> end = FollowLinks(dir);
  if (!end) return CannotWrite(given, DescribeFileError(dir));
  if (end->kind == PathKind::PlainFile || end->kind == PathKind::Other) {
    return CannotWrite(given, dir + ": Not a directory");
  }
  const std::string holder = end->kind == PathKind::Missing ? FolderOf(end->path) : end->path;
  if (InsideOutputFolder(holder, forbidden.outputDir)) {
    return CannotWrite(given, dir + " is inside the output folder " + forbidden.outputDir);
  }
  // Neither is there yet: the run would make the output folder and the tables would go into it.
  if (end->kind == PathKind::Missing && IsOutputFolderToBe(end->path, forbidden.outputDir)) {
    return CannotWrite(given, dir + " is the output folder " + forbidden.outputDir);
  }
  if (!FolderTakesFiles(FolderName(holder))) return CannotWrite(given, DescribeFileError(FolderName(holder)));
  if (end->kind == PathKind::Missing) return std::nullopt;
  for (const std::string& table : CsvTableNames()) {
    if (Problem problem = CheckFileTarget(dir + PathSeparator() + table, forbidden)) return problem;
  }
  return std::nullopt;
}

}  // namespace

std::optional<TargetProblem> CheckOutputTargets(const DataOutputs& outputs, const std::string& outputDir) {
  const Forbidden forbidden{RunInputPaths(outputs.gameDir, outputs.configDir), outputDir};
  if (!outputs.jsonFile.empty()) {
    if (Problem problem = CheckFileTarget(outputs.jsonFile, forbidden)) return problem;
  }
  if (!outputs.csvDir.empty()) return CheckCsvFolder(outputs.csvDir, forbidden);
  return std::nullopt;
}

}  // namespace gvde
