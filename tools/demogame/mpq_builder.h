// Builds MPQ archives for tests and the demo game through StormLib's own create API,
// so whatever it writes is what the archive reader accepts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gvde::demogame {

struct MpqFile {
  enum class Storage {
    Plain,                // stored as is, in sectors
    Compressed,           // zlib, in sectors
    CompressedEncrypted,  // zlib, sectors encrypted with a key from the file name
    EncryptedFixedKey,    // zlib, encrypted, key adjusted by the file's position
    Imploded,             // PKWARE implode (the older method)
    Bzip2,                // bzip2, in sectors
    SingleUnit,           // zlib, the whole file as one unit
  };

  std::string name;  // archive-internal name, backslashes kept
  std::vector<std::uint8_t> data;
  Storage storage = Storage::Compressed;
};

// Creates (replacing) a format-1 archive at `path` holding `files` plus a "(listfile)".
// No time stamps are written, so equal input gives equal bytes. False on any failure.
bool BuildMpq(const std::string& path, const std::vector<MpqFile>& files);

}  // namespace gvde::demogame
