#pragma once

#include <string>
#include <string_view>

#include "platform/StringList.h"

namespace quarrow {

// The plain-text list written after a scan, each line ending in CR LF. Mode 1: one
// "ftp://<server><folder><name>" line per file with the folder resolved to its full path
// (a line that does not resolve is written as stored); mode 2: the names alone; any other
// mode, 0 included: nothing.
std::string buildTextExport(int mode, std::string_view server, const StringList& dirs,
                            const StringList& names);

}  // namespace quarrow
