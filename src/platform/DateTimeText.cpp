#include "platform/DateTimeText.h"

#include <cstdio>

namespace quarrow {
namespace {

std::tm localParts(std::time_t t) {
    std::tm parts{};
    localtime_r(&t, &parts);
    return parts;
}

}  // namespace

std::string formatStamp(std::time_t t) {
    const std::tm p = localParts(t);
    char text[96];
    std::snprintf(text, sizeof text, "%02d.%02d.%04d_%02d.%02d.%02d", p.tm_mday, p.tm_mon + 1,
                  p.tm_year + 1900, p.tm_hour, p.tm_min, p.tm_sec);
    return text;
}

std::string formatDate(std::time_t t) {
    const std::tm p = localParts(t);
    char text[48];
    std::snprintf(text, sizeof text, "%02d.%02d.%04d", p.tm_mday, p.tm_mon + 1, p.tm_year + 1900);
    return text;
}

std::time_t cutToDosSeconds(std::time_t t) {
    std::tm local{};
    localtime_r(&t, &local);
    return t - local.tm_sec % 2;
}

}  // namespace quarrow
