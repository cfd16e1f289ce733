// The update page: the first line is the running version, the rest the page.

#include "Scratch.h"
#include "update/UpdatePage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = quarrow::fuzz::asText(data, size);
    const std::size_t lineEnd = input.find('\n');
    if (lineEnd == std::string_view::npos) return 0;
    quarrow::ReadUpdatePage(input.substr(lineEnd + 1), input.substr(0, lineEnd));
    return 0;
}
