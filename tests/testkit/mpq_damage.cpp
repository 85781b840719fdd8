#include "testkit/mpq_damage.h"

#include <StormLib.h>

#include <fstream>

#include "demogame/pe_builder.h"

namespace gvde::testkit {

bool BuildMpqOfFormat(const std::string& path, int format, const std::string& name,
                      const std::vector<std::uint8_t>& data) {
  if (format < 0 || format > 3 || data.empty() || data.size() > 0x1000000) return false;
  {
    // StormLib probes the path first; an empty file passes the probe and is then overwritten.
    std::ofstream empty(path, std::ios::binary | std::ios::trunc);
    if (!empty) return false;
  }
  const DWORD versionFlag = static_cast<DWORD>(format) << FLAGS_TO_FORMAT_SHIFT;
  HANDLE archive = nullptr;
  if (!SFileCreateArchive(path.c_str(), versionFlag | MPQ_CREATE_LISTFILE, 16, &archive)) return false;
  const auto size = static_cast<DWORD>(data.size());
  HANDLE file = nullptr;
  bool ok =
      SFileCreateFile(archive, name.c_str(), 0, size, 0, MPQ_FILE_COMPRESS | MPQ_FILE_REPLACEEXISTING, &file);
  if (ok) {
    ok = SFileWriteFile(file, data.data(), size, MPQ_COMPRESSION_ZLIB);
    ok = SFileFinishFile(file) && ok;
  }
  return SFileCloseArchive(archive) && ok;
}

std::optional<std::uint64_t> StoredFileOffset(const std::string& path, const std::string& name) {
  HANDLE archive = nullptr;
  if (!SFileOpenArchive(path.c_str(), 0, STREAM_FLAG_READ_ONLY, &archive)) return std::nullopt;
  std::optional<std::uint64_t> offset;
  HANDLE file = nullptr;
  if (SFileOpenFileEx(archive, name.c_str(), SFILE_OPEN_FROM_MPQ, &file)) {
    ULONGLONG position = 0;
    if (SFileGetFileInfo(file, SFileInfoByteOffset, &position, sizeof position, nullptr)) offset = position;
    SFileCloseFile(file);
  }
  SFileCloseArchive(archive);
  return offset;
}

bool PatchFile(const std::string& path, std::size_t offset, const std::vector<std::uint8_t>& bytes) {
  std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
  if (!file) return false;
  file.seekp(static_cast<std::streamoff>(offset));
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}

std::vector<std::uint8_t> U16Bytes(std::uint16_t value) {
  std::vector<std::uint8_t> bytes;
  demogame::PutU16(bytes, 0, value);
  return bytes;
}

std::vector<std::uint8_t> U32Bytes(std::uint32_t value) {
  std::vector<std::uint8_t> bytes;
  demogame::PutU32(bytes, 0, value);
  return bytes;
}

void Overwrite(std::vector<std::uint8_t>& file, std::size_t offset, const std::vector<std::uint8_t>& bytes) {
  if (file.size() < offset + bytes.size()) file.resize(offset + bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) file[offset + i] = bytes[i];
}

std::vector<std::uint8_t> WithUserData(const std::vector<std::uint8_t>& archive, std::uint32_t headerOffset) {
  std::vector<std::uint8_t> file(headerOffset, 0);
  Overwrite(file, 0, {'M', 'P', 'Q', 0x1B});
  Overwrite(file, 4, U32Bytes(16));  // user data size
  Overwrite(file, 8, U32Bytes(headerOffset));
  Overwrite(file, 12, U32Bytes(16));  // user data header size
  file.insert(file.end(), archive.begin(), archive.end());
  return file;
}

}  // namespace gvde::testkit
