#include "demogame/mpq_builder.h"

#include <StormLib.h>

#include <fstream>
#include <limits>

namespace gvde::demogame {
namespace {

struct StorageFlags {
  DWORD fileFlags;
  DWORD compression;
};

StorageFlags FlagsFor(MpqFile::Storage storage) {
  switch (storage) {
    case MpqFile::Storage::Plain:
      return {0, 0};
    case MpqFile::Storage::Compressed:
      return {MPQ_FILE_COMPRESS, MPQ_COMPRESSION_ZLIB};
    case MpqFile::Storage::CompressedEncrypted:
      return {MPQ_FILE_COMPRESS | MPQ_FILE_ENCRYPTED, MPQ_COMPRESSION_ZLIB};
    case MpqFile::Storage::EncryptedFixedKey:
      return {MPQ_FILE_COMPRESS | MPQ_FILE_ENCRYPTED | MPQ_FILE_FIX_KEY, MPQ_COMPRESSION_ZLIB};
    case MpqFile::Storage::Imploded:
      return {MPQ_FILE_IMPLODE, MPQ_COMPRESSION_PKWARE};
    case MpqFile::Storage::Bzip2:
      return {MPQ_FILE_COMPRESS, MPQ_COMPRESSION_BZIP2};
    case MpqFile::Storage::SingleUnit:
      return {MPQ_FILE_COMPRESS | MPQ_FILE_SINGLE_UNIT, MPQ_COMPRESSION_ZLIB};
  }
  return {0, 0};
}

bool AddFile(HANDLE archive, const MpqFile& file) {
  if (file.data.size() > std::numeric_limits<DWORD>::max()) {
    return false;
  }
  const auto size = static_cast<DWORD>(file.data.size());
  const StorageFlags flags = FlagsFor(file.storage);
  HANDLE handle = nullptr;
  // File time 0 keeps the output free of time stamps.
  if (!SFileCreateFile(archive, file.name.c_str(), 0, size, 0,
                       flags.fileFlags | MPQ_FILE_REPLACEEXISTING, &handle)) {
    return false;
  }
  bool ok = true;
  if (size != 0) {
    ok = SFileWriteFile(handle, file.data.data(), size, flags.compression);
  }
  // Finishing also releases the handle, so it runs even after a failed write.
  const bool finished = SFileFinishFile(handle);
  return ok && finished;
}

}  // namespace

bool BuildMpq(const std::string& path, const std::vector<MpqFile>& files) {
  if (files.size() > 0x10000) {
    return false;
  }
  // StormLib first probes the path as an archive: an existing MPQ makes it refuse, and a path
  // that cannot be opened makes this library version close descriptor 0 by mistake. An empty
  // file passes the probe cleanly and is then overwritten.
  {
    std::ofstream empty(path, std::ios::binary | std::ios::trunc);
    if (!empty) {
      return false;
    }
  }
  const auto maxFileCount = static_cast<DWORD>(files.size() + 8);
  HANDLE archive = nullptr;
  if (!SFileCreateArchive(path.c_str(), MPQ_CREATE_ARCHIVE_V1 | MPQ_CREATE_LISTFILE, maxFileCount,
                          &archive)) {
    return false;
  }
  bool ok = true;
  for (const MpqFile& file : files) {
    ok = ok && AddFile(archive, file);
  }
  const bool closed = SFileCloseArchive(archive);
  return ok && closed;
}

}  // namespace gvde::demogame
