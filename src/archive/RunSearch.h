#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "archive/ArchiveContent.h"
#include "archive/SearchCancel.h"
#include "archive/SearchHits.h"
#include "archive/SearchState.h"
#include "engine/Translate.h"

namespace quarrow {

// What one search leaves for the window to show.
struct SearchOutcome {
    enum class Kind {
        Cancelled,  // a newer search or a key press took over: show nothing of this one
        Unchanged,  // the text searched nothing: the lists and the status stay as they were
        Published,  // `hits` replace the lists; `status`, when set, replaces the status
    };
    Kind kind = Kind::Unchanged;
    SearchHits hits;
    std::optional<std::string> status;
};

// The search of `boxText` over the archive: the literal stage and, when it finds nothing, the
// tolerant stage, with the status texts "allfile", "findfile" and "nofindfile".
SearchOutcome RunSearch(const ArchiveContent& content, std::string_view boxText,
                        SharedSearchState& state, const FormTexts& texts,
                        const SearchCancel& cancel);

// "allfile - N" and a second line "findfile - M" after a search that found something.
std::string FoundStatus(const FormTexts& texts, std::size_t names, std::size_t fileHits);

}  // namespace quarrow
