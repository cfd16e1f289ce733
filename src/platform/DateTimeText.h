#pragma once

#include <ctime>
#include <string>

namespace quarrow {

// Local-time stamps as they appear in file names and snapshot headers: "dd.mm.yyyy_hh.nn.ss"
// (24-hour clock, two digits each, four-digit year).
std::string formatStamp(std::time_t t);

// The local date alone: "dd.mm.yyyy".
std::string formatDate(std::time_t t);

}  // namespace quarrow
