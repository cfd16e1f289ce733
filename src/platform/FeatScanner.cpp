#include "platform/FeatScanner.h"

#include "platform/ListingText.h"

namespace quarrow {

void FeatScanner::reset() {
    inFeat_ = false;
    mlsd_ = false;
    utf8_ = false;
}

void FeatScanner::take(std::string_view line) {
    std::string_view feature;
    if (line.substr(0, 4) == "211-") {
        inFeat_ = true;
        feature = line.substr(4);
    } else if (line.substr(0, 4) == "211 ") {
        inFeat_ = false;
        return;
    } else if (inFeat_ && !line.empty() && listing::isBlank(line.front())) {
        feature = line;
    } else {
        return;
    }
    while (!feature.empty() && listing::isBlank(feature.front())) feature.remove_prefix(1);
    const std::string_view word = feature.substr(0, feature.find_first_of(" \t"));
    if (listing::equalsAsciiNoCase(word, "MLST") || listing::equalsAsciiNoCase(word, "MLSD"))
        mlsd_ = true;
    if (listing::equalsAsciiNoCase(word, "UTF8")) utf8_ = true;
}

}  // namespace quarrow
