#pragma once

#include <string>
#include <vector>

#include "platform/StringList.h"

namespace quarrow::test {

// Arena lists to and from plain vectors, so a whole list is compared in one expectation.
inline StringList toList(const std::vector<std::string>& lines) {
    StringList list;
    for (const auto& line : lines) list.append(line);
    return list;
}

inline std::vector<std::string> linesOf(const StringList& list) {
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < list.size(); ++i) lines.emplace_back(list[i]);
    return lines;
}

}  // namespace quarrow::test
