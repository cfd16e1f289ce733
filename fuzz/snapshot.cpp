// The snapshot reader. An odd first byte makes the rest the content alone, packed here, so the
// list blocks are reached without the fuzzer having to produce a zlib stream; otherwise the rest
// is a whole file and the container is read as well.

#include "Scratch.h"
#include "engine/SnapshotContainer.h"
#include "engine/SnapshotFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = quarrow::fuzz::asText(data, size);
    if (input.empty()) return 0;
    const std::string_view rest = input.substr(1);
    quarrow::SnapshotData snapshot;
    std::string error;
    if (input[0] & 1)
        quarrow::parseSnapshot(quarrow::packSnapshot("fuzz.qrnet", rest), snapshot, &error);
    else
        quarrow::parseSnapshot(rest, snapshot, &error);
    return 0;
}
