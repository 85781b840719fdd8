// The detail line that tells what is wrong in Address.ini when start-up stops with one of its
// messages: the line and the mistake ("Address.ini line 2: ItemTable value "0x4A1000": write
// the digits without 0x"), a key that is missing, or a byte order mark.
#pragma once

#include <string>
#include <string_view>

namespace gvde {

// "<path> starts with a UTF-8 byte order mark: save it without one" when `text` starts with
// one; empty otherwise.
std::string ByteOrderMarkDetail(const std::string& path, std::string_view text);

// Why `key` gives 0 in the loaded file `text` read from `path`.
std::string AddressKeyDetail(const std::string& path, std::string_view text, std::string_view key);

}  // namespace gvde
