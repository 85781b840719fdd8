// Warnings about Effect.ini and AITypes.ini that do not stop start-up: a file with fewer lines
// than names (the missing names are empty, so links to them cannot be seen), and a file saved
// as UTF-8 (the pages are Windows-1252, as the game's texts are).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace gvde {

// `what` names one entry of the list ("effect code", "AI type"); appends one line per problem.
void AppendNameListWarnings(const std::string& path, std::string_view text, std::size_t names,
                            std::string_view what, std::vector<std::string>& warnings);

// True when `text` holds bytes outside ASCII and all of them form valid UTF-8 sequences.
bool IsUtf8BeyondAscii(std::string_view text);

}  // namespace gvde
