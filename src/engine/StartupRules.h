#pragma once

#include <string>
#include <string_view>

namespace quarrow {

// Whether the first program argument is handed to the command-line handler at the first
// activation: not when it is blank, and not when, trimmed, it is the decimal text of 555
// times the day of the month (a value a launcher passes to start the program plainly).
bool CommandLineWanted(std::string_view argument, int dayOfMonth);

// The program's version as four decimal parts ("major.minor.release.build"): the parts of
// `version` that are missing become 0; empty when `version` does not start with a number.
std::string OwnVersionText(std::string_view version);

}  // namespace quarrow
