// The watch list: the input as one entry's value and as the whole Spy.ini.

#include "Scratch.h"
#include "watch/SpyFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = quarrow::fuzz::asText(data, size);
    std::string error;
    quarrow::ParseSpyLine(input, &error);
    quarrow::fuzz::scratchFile("Spy/Spy.ini", input);
    quarrow::WatchTable table;
    quarrow::LoadWatchList(quarrow::fuzz::scratchDir(), table, quarrow::WatchTexts{}, 1748736000);
    return 0;
}
