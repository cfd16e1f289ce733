#include <cstdio>

#include "cli/CliCommands.h"
#include "platform/Cp1251.h"

namespace quarrow::cli {

void PrintOut(const std::string& cp1251Line) {
    std::fputs((cp1251ToUtf8(cp1251Line) + "\n").c_str(), stdout);
}

void PrintErr(const std::string& cp1251Line) {
    std::fputs((cp1251ToUtf8(cp1251Line) + "\n").c_str(), stderr);
}

}  // namespace quarrow::cli
