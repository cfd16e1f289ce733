#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quarrow {

// Splits an (already upper-cased) mask text into its extension list: each star starts a mask,
// whatever precedes the first star is ignored, and each mask is trimmed. "*.*" alone stays
// the single entry "*.*"; "*" alone gives an empty list.
std::vector<std::string> BuildExtensions(std::string_view mask);

// Whether a file name matches the job's mask: "*", "*.*" and "*." take every file; otherwise
// names under four characters never match, and the upper-cased extension (from the last dot;
// none when a "\" or ":" follows it) must equal an entry of `extensions`.
bool MatchesMask(std::string_view name, std::string_view mask,
                 const std::vector<std::string>& extensions);

// Trims blanks and control characters from both ends, as the mask and form texts are trimmed.
std::string_view trimText(std::string_view text);

}  // namespace quarrow
