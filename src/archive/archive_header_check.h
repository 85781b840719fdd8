// Checks made on an archive file before the archive library sees it. The library version in use
// dies on some header values (a sector-size shift of 0xFFFF divides by a zero sector size) and
// spins on others (tables of billions of entries), so such archives are refused up front.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace gvde {

// What the check found; anything but Usable refuses the archive.
enum class ArchiveHeaderVerdict : std::uint8_t {
  Usable,
  Unreadable,     // the file cannot be opened or read (the platform layer recorded why)
  NoHeader,       // no header where the library searches for one
  CutShort,       // a header cut off by the end of the file
  UnknownFormat,  // a format version above 3
  HugeSectors,    // a sector size that does not fit 32 bits
  TablesOutside,  // a file table that does not end inside the file
};

// Searches the header of the file at `path` the way the library does ('MPQ\x1A' at offset 0 or
// at a 512-byte step, possibly after one 'MPQ\x1B' user-data header) and checks that none of its
// values is impossible: format version 0 to 3, a sector size that fits 32 bits, tables inside
// the file. The file is read through the platform layer (a path as the program holds it), in
// large blocks and past the holes of a sparse file.
ArchiveHeaderVerdict ProbeArchiveFile(const std::string& path);

// Why an archive with this verdict is refused, for a detail line after its path ("not an
// archive (no archive header found)"); empty for Usable and Unreadable.
std::string_view DescribeArchiveHeaderVerdict(ArchiveHeaderVerdict verdict);

// The check on the file at `path` as a detail line: empty when it passes, otherwise the path
// and why it is refused ("game/gvdata.mor: Is a directory").
std::string RefusedArchiveDetail(const std::string& path);

}  // namespace gvde
