// One output page: created anew, written piece by piece, closed with one verdict.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "site/num_to_str.h"

namespace gvde {

class PageFile {
 public:
  bool Create(const std::string& path) { return file_.Create(path); }
  PageFile& operator<<(std::string_view text) {
    file_.Write(text);
    return *this;
  }
  PageFile& operator<<(const char* text) { return *this << std::string_view(text); }
  PageFile& operator<<(const std::string& text) { return *this << std::string_view(text); }
  PageFile& operator<<(std::int32_t n) { return *this << std::string_view(NumToStr(n)); }
  PageFile& operator<<(std::uint32_t n) { return *this << std::string_view(NumToStr(n)); }
  PageFile& operator<<(std::uint16_t n) { return *this << std::string_view(NumToStr(n)); }
  PageFile& operator<<(std::uint8_t n) { return *this << std::string_view(NumToStr(n)); }
  PageFile& operator<<(char c) = delete;  // a single byte is text, write a string_view
  // True when creation, every write and the close succeeded.
  bool Close() { return file_.Close(); }
  bool IsOpen() const { return file_.IsOpen(); }

 private:
  OutputFile file_;
};

// OutputDir + "data" + separator + fileName: the platform's form of "data\<fileName>".
std::string DataPath(const std::string& outputDir, std::string_view fileName);

// The head every page of the data folder starts with.
inline constexpr std::string_view kPageHead =
    "<html><head><link rel=\"stylesheet\" type=\"text/css\" href=\"style.css\" media=\"all\"></head><body>";

}  // namespace gvde
