#include "app/config_files.h"

#include <filesystem>
#include <system_error>

#include "app/startup_config.h"
#include "platform/file_error.h"
#include "platform/file_system.h"
#include "site/run_config.h"

namespace gvde {
namespace {

std::string Placeholders(const std::string& prefix, std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) text += prefix + std::to_string(i) + "\r\n";
  return text;
}

// The configuration files are edited in Windows editors: lines end with CR LF.
std::string WithCrLf(const std::string& text) {
  std::string result;
  for (const char c : text) {
    if (c == '\n') result += '\r';
    result += c;
  }
  return result;
}

// False after the error, which ends the writing. A file made by someone else in the meantime is
// kept too: the check and the creation are one call.
bool WriteNew(const std::string& path, const std::string& text, CommandOutput& output) {
  ClearFileError();
  OutputFile file;
  bool exists = false;
  if (file.CreateIfAbsent(path, exists)) file.Write(text);
  if (exists) {
    output.err += "Kept " + path + ": it exists already\n";
    return true;
  }
  if (!file.Close()) {
    output.err += ErrorLines("Cannot write " + path, DescribeFileError(path));
    output.exitCode = 1;
    return false;
  }
  output.err += "Wrote " + path + "\n";
  return true;
}

}  // namespace

std::string PlaceholderEffectNames() { return Placeholders("Effect ", kEffectCount); }
std::string PlaceholderAiTypeNames() { return Placeholders("AI type ", kAiTypeCount); }

void WriteConfigFiles(const std::string& dir, const std::string& addressIni, CommandOutput& output) {
  std::error_code ignored;
  std::filesystem::create_directories(dir, ignored);
  const std::string prefix = AddSeparator(dir, PathSeparator());
  if (!WriteNew(prefix + "Address.ini", WithCrLf(addressIni), output)) return;
  if (!WriteNew(prefix + "Effect.ini", PlaceholderEffectNames(), output)) return;
  WriteNew(prefix + "AITypes.ini", PlaceholderAiTypeNames(), output);
}

}  // namespace gvde
