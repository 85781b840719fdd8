// Every message a run shows, each written once.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/num_to_str.h"

namespace gvde {

inline constexpr std::string_view kInputGamePath = "Input Grimveil path";
inline constexpr std::string_view kInputOutputPath = "Input path for result";
inline constexpr std::string_view kCannotOpenExe = "Cannot open GV.exe file";
inline constexpr std::string_view kCannotCreateDataDir = "Cannot create directory for data";
inline constexpr std::string_view kIncorrectAddresses = "Incorrect addresses";
inline constexpr std::string_view kNotEnoughMemory = "Not enough memory";
inline constexpr std::string_view kCannotWriteToFile = "Cannot write to file";
inline constexpr std::string_view kCountsDisagree = "Something is wrong...";
inline constexpr std::string_view kCannotOpenArchives = "Cannot open either GVdata.mor or KELDDAT.MPQ";
inline constexpr std::string_view kBadPalette = "Dungeon palette is missing or invalid";
inline constexpr std::string_view kCannotWriteItemImages = "Cannot write images for items";
inline constexpr std::string_view kCannotWriteIndex = "Cannot write index.htm";
inline constexpr std::string_view kCannotWriteStyleSheet = "Cannot write style.css";
inline constexpr std::string_view kOutputFolderInUse = "Output folder is in use by another run";
inline constexpr std::string_view kOutputTooLarge = "Output would exceed 1 GiB";

inline std::string CannotExtract(std::string_view name) { return "Cannot extract " + std::string(name); }
inline std::string FileTooLarge(std::string_view name) { return "File \"" + std::string(name) + "\" is too large"; }
// The detail under kIncorrectAddresses: the table starts that do not translate ("ItemTable
// 4A1000") and the executable they were looked up in.
inline std::string UntranslatedAddresses(const std::vector<std::string>& starts, std::string_view exePath) {
  std::string text;
  for (std::size_t i = 0; i < starts.size(); ++i) {
    if (i > 0) text += i + 1 == starts.size() ? " and " : ", ";
    text += starts[i];
  }
  text += starts.size() == 1 ? " is" : " are";
  return text + " outside every section of " + std::string(exePath);
}

// `what` is "monster" or "boss".
inline std::string PictureQuestion(std::string_view what, std::uint32_t number) {
  return "Cannot write an image for " + std::string(what) + " #" + NumToStr(number) + ". Exit?";
}

}  // namespace gvde
