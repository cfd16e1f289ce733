#pragma once

#include <string_view>

namespace quarrow {

// The characters the run scan leaves out of a line.
inline constexpr std::string_view kRunScoreSkipped = " .-_()";

// The run scan of the tolerant search. `word` loses its blanks and `line` the characters of
// kRunScoreSkipped; the scan walks both for a common run of max(minRun, 1) characters and
// scores twice that length when it meets one, else 0. Positions advance as the scan dictates:
// the last character of either text never starts a run (unless the text has one character),
// and a run that ends too short moves both positions to its last character.
int RunScore(std::string_view word, std::string_view line, int minRun);

// The scan itself, on texts already stripped as above.
int RunScoreStripped(std::string_view a, std::string_view b, int minRun);

}  // namespace quarrow
