// The bracketed command line: the input as one scan description, and as the "[loadfile=" file
// whose lines are descriptions.

#include "engine/CommandLine.h"
#include "Scratch.h"
#include "engine/EngineContext.h"

namespace {

constexpr std::time_t kNow = 1748736000;

void fill(const quarrow::EngineContext& context, std::string_view description) {
    quarrow::TFtpMain job;
    std::string error;
    quarrow::FillJobFromDescription(context, job, description, kNow, error);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const quarrow::EngineContext context(quarrow::fuzz::scratchDir());
    const std::string_view input = quarrow::fuzz::asText(data, size);
    fill(context, input);

    const std::string argument =
        "[loadfile=" + quarrow::fuzz::scratchFile("batch.txt", input) + "]";
    std::vector<std::string> descriptions;
    std::string error;
    quarrow::GatherDescriptions(argument, descriptions, error);
    for (const auto& description : descriptions) fill(context, description);
    return 0;
}
