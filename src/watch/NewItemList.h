#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <mutex>
#include <string>
#include <vector>

#include "platform/StringList.h"
#include "watch/TMainObj.h"

namespace quarrow {

// The new-items list of a watch entry: what its last or running check found, in the order the
// server listed the items. The check appends while the window reads, sorts and saves it, so
// every operation takes the list's own lock for its whole length. Items are kept compactly (the
// full names in one arena, the line texts derived from them), well under 120 bytes an item.
class NewItemList {
public:
    std::size_t size() const;
    // Item i, or an empty item when the list is shorter.
    TMainObj at(std::size_t i) const;
    std::string line(std::size_t i) const;
    // Every item, in order, copied in one step.
    std::vector<TMainObj> items() const;

    void append(const TMainObj& item);
    void clear();

    // Sorts by line text, letter case ignored (Windows-1251 folding), keeping equal lines in
    // their order; false when the list is empty.
    bool sortByLine();
    // Reverses the order; false when the list is empty.
    bool reverse();

    // Bytes held, for memory accounting.
    std::size_t capacityBytes() const;

private:
    // 16 bytes: the folder flag rides in the top bit of the name's index.
    struct Item {
        std::int64_t time;
        std::uint32_t size;
        std::uint32_t name;  // index in names_, kFolderBit set for a folder
    };
    static constexpr std::uint32_t kFolderBit = 0x80000000u;
    TMainObj make(const Item& item) const;
    void makeRoom(std::size_t nameBytes);

    mutable std::mutex mutex_;
    StringList names_;
    std::vector<Item> order_;
};

}  // namespace quarrow
