#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "watch/WatchEntry.h"

namespace quarrow {

// The watch table and the watch list shown over it. Entries are addressed by a stable index:
// a new one takes the next index, and deleting an entry removes only its line, so the record
// and every other index stay. The lines, in list order, name the entry each shows.
// `LastWatchIndex` is the number of lines minus one (-1 with none); check workers test it and
// end at once when it is -1.
//
// Threading: the window thread (or the CLI's main thread) changes the table and its lines;
// check workers only look entries up by index.
class WatchTable {
public:
    int LastWatchIndex() const { return lastWatchIndex_.load(); }

    // Appends a fresh record and returns its index (no line yet).
    int add();
    // The record of entry `index`, or null when there is none.
    std::shared_ptr<WatchEntry> at(int index) const;
    int size() const;

    // The list: one line per shown entry, each with its text and its tick. The tick shows the
    // entry's Active, except after "[nostartspyall]" unticked every line without touching the
    // entries: a click on a line then makes Active follow its tick.
    struct Line {
        int entry;
        std::string text;
        bool ticked = false;
    };
    std::vector<Line> lines() const;
    void appendLine(int entry, std::string text, bool ticked);
    void replaceLine(int position, std::string text, bool ticked);
    void setTicked(int position, bool ticked);
    void untickAll();
    void removeLine(int position);
    // The position of the line showing `entry`, or -1.
    int positionOf(int entry) const;

private:
    void updateLastIndex();

    mutable std::mutex mutex_;
    std::vector<std::shared_ptr<WatchEntry>> records_;
    std::vector<Line> lines_;
    std::atomic<int> lastWatchIndex_{-1};
};

}  // namespace quarrow
