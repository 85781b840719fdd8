#include "app/startup_config.h"

#include <array>
#include <optional>
#include <utility>

#include "app/address_diagnostics.h"
#include "app/name_list_warnings.h"
#include "ini/ini_to_read.h"
#include "platform/file_error.h"
#include "platform/file_system.h"

namespace gvde {

namespace {

// Value 0 to 15 of a hexadecimal digit, or -1 for any other character.
int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string_view AsText(const std::vector<std::uint8_t>& bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// `what` names one entry of the list in warnings ("effect code").
template <std::size_t N>
bool ReadNameList(const std::string& path, std::string_view what, std::array<std::string, N>& names,
                  std::vector<std::string>& warnings) {
  const std::optional<std::vector<std::uint8_t>> bytes = ReadWholeFile(path, kMaxIniFileSize);
  if (!bytes) return false;
  std::vector<std::string> lines = ReadLines(*bytes, N);
  for (std::size_t i = 0; i < N; ++i) names[i] = std::move(lines[i]);
  AppendNameListWarnings(path, AsText(*bytes), N, what, warnings);
  return true;
}

struct AddressKey {
  const char* name;
  std::uint32_t TableAddresses::*field;
};

// The order in which the keys are read and checked.
constexpr std::array<AddressKey, 7> kAddressKeys = {{
    {"ItemTable", &TableAddresses::itemTable},
    {"UniqueTable", &TableAddresses::uniqueTable},
    {"MonsterTable", &TableAddresses::monsterTable},
    {"BossTable", &TableAddresses::bossTable},
    {"SpellTable", &TableAddresses::spellTable},
    {"AffixTable", &TableAddresses::affixTable},
    {"Title", &TableAddresses::title},
}};

// The file's text again, for a detail line; empty when it cannot be read.
std::string AddressFileText(const std::string& path) {
  const std::optional<std::vector<std::uint8_t>> bytes = ReadWholeFile(path, kMaxIniFileSize);
  return bytes ? std::string(AsText(*bytes)) : std::string();
}

// Why the reader refused the file: the system's reason when it could not be read, else what the
// reader found, with the line it is about ("Address.ini line 7: ItemTable given twice").
std::string AddressFileDetail(const std::string& path, const INIToRead& reader) {
  const std::string unreadable = DescribeFileError(path);
  if (!unreadable.empty()) return unreadable;
  if (std::string mark = ByteOrderMarkDetail(path, AddressFileText(path)); !mark.empty()) return mark;
  const std::string where = reader.ErrorLine() != 0 ? path + " line " + std::to_string(reader.ErrorLine()) : path;
  if (!reader.RepeatedName().empty()) return where + ": " + reader.RepeatedName() + " given twice";
  return where + ": " + reader.LastError();
}

// Stops at the first failure: an unusable file, or the first key that gives 0.
void ReadAddresses(const std::string& path, StartupResult& result) {
  INIToRead reader;
  ClearFileError();
  if (!reader.Load(path)) {
    result.message = "Cannot read Address.ini";
    result.detail = AddressFileDetail(path, reader);
    return;
  }
  for (const AddressKey& key : kAddressKeys) {
    const std::uint32_t value = HexToNum(reader.GetValue(key.name, ""));
    if (value == 0) {
      result.message = std::string(key.name) + " offset equals 0";
      const std::string text = AddressFileText(path);
      result.detail = ByteOrderMarkDetail(path, text);
      if (result.detail.empty()) result.detail = AddressKeyDetail(path, text, key.name);
      return;
    }
    result.configuration.addresses.*key.field = value;
  }
}

}  // namespace

std::uint32_t HexToNum(std::string_view text) {
  std::uint32_t result = 0;
  for (const char c : text) {
    const int digit = HexDigit(c);
    if (digit < 0) return 0;
    result = result * 16u + static_cast<std::uint32_t>(digit);
  }
  return result;
}

std::string AddBackslash(std::string_view path) { return AddSeparator(path, '\\'); }

std::string AddSeparator(std::string_view path, char separator) {
  std::string result(path);
  if (result.empty() || result.back() != separator) result += separator;
  return result;
}

std::vector<std::string> ReadLines(const std::vector<std::uint8_t>& bytes, std::size_t maxLines) {
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  const std::vector<std::string_view> lines = SplitLines(text);
  std::vector<std::string> result(maxLines);
  for (std::size_t i = 0; i < maxLines && i < lines.size(); ++i) result[i] = std::string(lines[i]);
  return result;
}

RememberedSettings LoadSettings(const std::string& path) {
  RememberedSettings settings;
  // A Settings.ini that cannot be read, or is too large, leaves the settings empty.
  const std::optional<std::vector<std::uint8_t>> bytes = ReadWholeFile(path, kMaxIniFileSize);
  if (!bytes) return settings;
  std::vector<std::string> lines = ReadLines(*bytes, 3);
  settings.gameDir = std::move(lines[0]);
  settings.outputDir = std::move(lines[1]);
  settings.technicalInfo = lines[2] == "+";
  return settings;
}

bool SaveSettings(const std::string& path, const RememberedSettings& settings) {
  OutputFile file;
  if (!file.Create(path)) return false;
  file.Write(settings.gameDir);
  file.Write("\r\n");
  file.Write(settings.outputDir);
  file.Write("\r\n");
  file.Write(settings.technicalInfo ? "+\r\n" : "-\r\n");
  return file.Close();
}

StartupResult LoadStartupConfiguration(const std::string& directory) {
  StartupResult result;
  result.settings = LoadSettings(directory + "Settings.ini");
  if (!ReadNameList(directory + "Effect.ini", "effect code", result.configuration.effectNames, result.warnings)) {
    result.message = "Cannot read Effect.ini";
    result.detail = DescribeFileError(directory + "Effect.ini");
    return result;
  }
  if (!ReadNameList(directory + "AITypes.ini", "AI type", result.configuration.aiTypeNames, result.warnings)) {
    result.message = "Cannot read AITypes.ini";
    result.detail = DescribeFileError(directory + "AITypes.ini");
    return result;
  }
  ReadAddresses(directory + "Address.ini", result);
  result.ok = result.message.empty();
  return result;
}

}  // namespace gvde
