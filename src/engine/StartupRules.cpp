#include "engine/StartupRules.h"

#include <vector>

#include "engine/Masks.h"

namespace quarrow {
namespace {

constexpr int kVersionParts = 4;

bool allDigits(std::string_view text) {
    if (text.empty()) return false;
    for (const char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

}  // namespace

bool CommandLineWanted(std::string_view argument, int dayOfMonth) {
    const std::string_view trimmed = trimText(argument);
    return !trimmed.empty() && trimmed != std::to_string(555 * dayOfMonth);
}

std::string OwnVersionText(std::string_view version) {
    std::vector<std::string_view> parts;
    while (parts.size() < kVersionParts && !version.empty()) {
        const auto dot = version.find('.');
        const std::string_view part = version.substr(0, dot);
        if (!allDigits(part)) break;
        parts.push_back(part);
        version = dot == std::string_view::npos ? std::string_view() : version.substr(dot + 1);
    }
    if (parts.empty()) return {};
    std::string text;
    for (int i = 0; i < kVersionParts; ++i) {
        if (i > 0) text += '.';
        text += i < static_cast<int>(parts.size()) ? std::string(parts[i]) : std::string("0");
    }
    return text;
}

}  // namespace quarrow
