// Checks made on an archive file before the archive library sees it. The library version in use
// dies on some header values (a sector-size shift of 0xFFFF divides by a zero sector size) and
// spins on others (tables of billions of entries), so such archives are refused up front.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace gvde {

// True when the archive header is found the way the library finds it ('MPQ\x1A' at offset 0 or
// at a 512-byte step, possibly after one 'MPQ\x1B' user-data header) and none of its values is
// impossible: format version 0 to 3, a sector size that fits 32 bits, tables inside the file.
bool ProbeArchiveHeader(std::span<const std::uint8_t> file);

// The same check on the file at `path` (a path as the program holds it, read through the
// platform layer), reading only the bytes it needs. False when the file cannot be opened or read.
bool ProbeArchiveFile(const std::string& path);

}  // namespace gvde
