#pragma once

#include <ctime>
#include <string>

namespace quarrow {

// Local-time stamps as they appear in file names and snapshot headers: "dd.mm.yyyy_hh.nn.ss"
// (24-hour clock, two digits each, four-digit year).
std::string formatStamp(std::time_t t);

// The local date alone: "dd.mm.yyyy".
std::string formatDate(std::time_t t);

// The moment with its local time of day cut to an even second, the 2-second resolution of a
// DOS date and time that watch checks compare item times in.
std::time_t cutToDosSeconds(std::time_t t);

}  // namespace quarrow
