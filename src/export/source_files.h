// Where a data document came from: the size and SHA-256 of each input file and the configured
// table addresses, so that a reader can tell which game, which .ini files and which gvde made it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "game/game_data.h"

namespace gvde {

struct SourceFile {
  std::string name;    // as the document names it ("GV.exe")
  std::uint64_t size = 0;
  std::string sha256;  // 64 lowercase hexadecimal digits, as sha256sum prints them
};

struct DocumentOrigin {
  std::string programVersion;
  std::vector<SourceFile> files;  // in the order the document lists them
  TableAddresses addresses;
};

// The size and SHA-256 of the whole file at `path`, read piece by piece so that an archive of
// any size needs little memory; nullopt when it cannot be opened or read (DescribeFileError
// names the reason where the file layer knows it).
std::optional<SourceFile> DescribeSourceFile(const std::string& name, const std::string& path);

struct OriginResult {
  std::optional<DocumentOrigin> origin;
  std::string failedPath;  // the file that could not be read, when !origin
};

// The paths of the six inputs of a run, in the order the document lists them: GV.exe,
// gvdata.mor and kelddat.mpq in `gameDir`, Effect.ini, AITypes.ini and Address.ini in
// `configDir` (both path prefixes, as the run uses them).
std::vector<std::string> RunInputPaths(const std::string& gameDir, const std::string& configDir);

// The six inputs of a run: GV.exe, gvdata.mor and kelddat.mpq in `gameDir`, Effect.ini,
// AITypes.ini and Address.ini in `configDir` (both path prefixes, as the run uses them).
OriginResult DescribeRunSources(const std::string& programVersion, const std::string& gameDir,
                                const std::string& configDir, const TableAddresses& addresses);

}  // namespace gvde
