#pragma once

#include <string>
#include <utility>

namespace quarrow {

// Readers report what is wrong through an optional message; this stores it when the caller
// asked for one and yields false so a failing check can `return formatError(...)`.
inline bool formatError(std::string* error, std::string message) {
    if (error) *error = std::move(message);
    return false;
}

}  // namespace quarrow
