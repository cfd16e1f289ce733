#pragma once

#include <cstdint>
#include <string>

namespace quarrow {

// A byte count as the program shows it: below 1000 the count and " bytes", below 1 000 000
// the count in thousands with two decimals and " Kb", from there on in millions and " Mb".
// The divisors are decimal; the decimal separator is always a point.
std::string FormatSize(std::int64_t bytes);

}  // namespace quarrow
