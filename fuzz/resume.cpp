// The resume reader, which takes a path. An odd first byte reads the header only, as the
// session list does.

#include "Scratch.h"
#include "engine/ResumeFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = quarrow::fuzz::asText(data, size);
    if (input.empty()) return 0;
    quarrow::ResumeData resume;
    std::string error;
    quarrow::readResumeFile(quarrow::fuzz::scratchFile("job.res", input.substr(1)), input[0] & 1,
                            resume, &error);
    return 0;
}
