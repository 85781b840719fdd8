// Damaged and unusual archives for the archive tests: archives of the later format versions,
// header fields overwritten in place, archives behind a user-data header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace gvde::testkit {

// Creates (replacing) an archive of format version `format` (0 to 3) at `path` holding one file
// `name` with `data`, stored compressed. False on any failure.
bool BuildMpqOfFormat(const std::string& path, int format, const std::string& name,
                      const std::vector<std::uint8_t>& data);

// Where the stored data of `name` begins in the archive at `path` (its sector offset table,
// for a compressed file of several sectors); nullopt when the file is not there.
std::optional<std::uint64_t> StoredFileOffset(const std::string& path, const std::string& name);

// Overwrites bytes of the file at `path` from `offset` on; false when it cannot.
bool PatchFile(const std::string& path, std::size_t offset, const std::vector<std::uint8_t>& bytes);

// Little-endian bytes of a 16- or 32-bit value, for PatchFile and for editing byte vectors.
std::vector<std::uint8_t> U16Bytes(std::uint16_t value);
std::vector<std::uint8_t> U32Bytes(std::uint32_t value);

// Writes `bytes` over `file` from `offset` on, growing it when needed.
void Overwrite(std::vector<std::uint8_t>& file, std::size_t offset, const std::vector<std::uint8_t>& bytes);

// `archive` placed `headerOffset` bytes after a user-data header at the start of the file:
// "MPQ\x1B", user data size, header offset, user data header size; zero bytes up to the archive.
std::vector<std::uint8_t> WithUserData(const std::vector<std::uint8_t>& archive, std::uint32_t headerOffset);

}  // namespace gvde::testkit
