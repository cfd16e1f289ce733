#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "archive/ArchiveContent.h"
#include "archive/SearchChannel.h"
#include "engine/Translate.h"

namespace quarrow {

class EngineContext;

// One search of the archive on a worker thread of its own. It searches the text it was given
// over the archive content it was given, gives up as soon as its generation is no longer the
// channel's latest, and otherwise publishes its hits through the channel, sets the archive
// job's status and wakes the page through the job's progress timer. It ends by itself.
class TFastFindThread {
public:
    struct Request {
        int jobNumber = -1;
        std::uint64_t generation = 0;
        std::string boxText;
        std::shared_ptr<const ArchiveContent> content;
        std::shared_ptr<const FormTexts> texts;
    };

    // The caller has counted the search in `channel->running` under its lock.
    static void Create(EngineContext& context, std::shared_ptr<SearchChannel> channel,
                       Request request);

private:
    static void Execute(EngineContext& context, SearchChannel& channel, const Request& request);
};

}  // namespace quarrow
