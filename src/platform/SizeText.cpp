#include "platform/SizeText.h"

#include <charconv>

namespace quarrow {
namespace {

constexpr std::int64_t kMega = 1'000'000;
constexpr std::int64_t kKilo = 1000;

// "%.2f" without the locale's decimal separator.
std::string twoDecimals(double value) {
    char text[32];
    const auto [end, ec] =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 2);
    return ec == std::errc() ? std::string(text, end) : std::string();
}

}  // namespace

std::string FormatSize(std::int64_t bytes) {
    if (bytes >= kMega) return twoDecimals(static_cast<double>(bytes) / kMega) + " Mb";
    if (bytes >= kKilo) return twoDecimals(static_cast<double>(bytes) / kKilo) + " Kb";
    return std::to_string(bytes) + " bytes";
}

}  // namespace quarrow
