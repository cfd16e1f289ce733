#include "engine/Masks.h"

#include <algorithm>

#include "platform/Cp1251.h"

namespace quarrow {

std::string_view trimText(std::string_view text) {
    const auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::vector<std::string> BuildExtensions(std::string_view mask) {
    if (trimText(mask) == "*.*") return {"*.*"};
    std::vector<std::string> extensions;
    std::string_view rest = mask;
    for (auto star = rest.find('*'); star != std::string_view::npos; star = rest.find('*')) {
        rest = rest.substr(star + 1);
        if (trimText(rest).size() > 1) {
            const auto next = rest.find('*');
            extensions.emplace_back(trimText(rest.substr(0, next)));
        }
    }
    return extensions;
}

bool MatchesMask(std::string_view name, std::string_view mask,
                 const std::vector<std::string>& extensions) {
    if (mask == "*" || mask == "*.*" || mask == "*.") return true;
    if (name.size() < 4) return false;
    std::string_view extension;
    if (const auto dot = name.rfind('.'); dot != std::string_view::npos)
        extension = name.substr(dot);
    if (extension.find_first_of("\\:") != std::string_view::npos) extension = {};
    const std::string upper = upperCp1251(extension);
    return std::find(extensions.begin(), extensions.end(), upper) != extensions.end();
}

}  // namespace quarrow
