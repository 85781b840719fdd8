// The game archives as the picture decoders see them: a source of game files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/game_archives.h"
#include "image/file_source.h"

namespace gvde {

class ArchiveFiles final : public FileSource {
 public:
  explicit ArchiveFiles(GameArchives& archives) : archives_(archives) {}
  std::int32_t ExtractFile(std::vector<std::uint8_t>& buffer, const std::string& name) override {
    return archives_.ExtractFile(buffer, name);
  }
  bool ReadFileExact(std::uint8_t* destination, std::uint32_t size, const std::string& name) override {
    return archives_.ReadFileExact(destination, size, name);
  }

 private:
  GameArchives& archives_;
};

}  // namespace gvde
