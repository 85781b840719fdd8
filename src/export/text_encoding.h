// Game text is single-byte Windows-1252; the data document is UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace gvde {

// Each byte as the character it stands for in Windows-1252, encoded as UTF-8. The five bytes
// the code page leaves unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) become U+FFFD, so the result
// is always valid UTF-8.
std::string Windows1252ToUtf8(std::string_view text);

}  // namespace gvde
