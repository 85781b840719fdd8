// The two game archives, "gvdata.mor" searched before "kelddat.mpq", read through StormLib.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/file_source.h"

namespace gvde {

class GameArchives final : public FileSource {
 public:
  GameArchives() = default;
  GameArchives(const GameArchives&) = delete;
  GameArchives& operator=(const GameArchives&) = delete;
  ~GameArchives() override;

  // Opens gameDir + "gvdata.mor", then gameDir + "kelddat.mpq"; true when both are open.
  bool OpenArchives(const std::string& gameDir);
  // Closes whatever is open; harmless when nothing is.
  void CloseArchives();

  std::int32_t ExtractFile(std::vector<std::uint8_t>& buffer, const std::string& name) override;
  bool ReadFileExact(std::uint8_t* destination, std::uint32_t size, const std::string& name) override;

 private:
  void* GameArchive = nullptr;
  void* BaseArchive = nullptr;
};

}  // namespace gvde
