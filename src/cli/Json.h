#pragma once

#include <string>
#include <string_view>

namespace quarrow::cli {

// Appends `text` (system text) as a JSON string: control characters are escaped, the other
// bytes stay as they are for PrintOut to turn into UTF-8.
void appendJsonString(std::string& out, std::string_view text);

}  // namespace quarrow::cli
