#pragma once

#include <string_view>

namespace quarrow {

// Reads the reply to FEAT line by line and tells whether it announces MLST/MLSD and UTF8. Features
// are the lines of the "211-" reply that start with a blank; some servers put "211-" before each of
// them instead.
class FeatScanner {
public:
    void reset();
    // One reply line without its line end.
    void take(std::string_view line);
    bool mlsd() const { return mlsd_; }
    bool utf8() const { return utf8_; }

private:
    bool inFeat_ = false;
    bool mlsd_ = false;
    bool utf8_ = false;
};

}  // namespace quarrow
