#include "watch/NewItemList.h"

#include <algorithm>

#include "platform/Cp1251.h"

namespace quarrow {

std::string NewItemLine(const TMainObj& item) {
    if (item.IsFolder) {
        std::string_view name = item.FullName;
        if (name.ends_with('/')) name.remove_suffix(1);
        return std::string(name);
    }
    const auto slash = item.FullName.rfind('/');
    return slash == std::string::npos ? item.FullName : item.FullName.substr(slash + 1);
}

std::size_t NewItemList::size() const {
    std::lock_guard lock(mutex_);
    return order_.size();
}

TMainObj NewItemList::make(const Item& item) const {
    return {item.size, static_cast<std::time_t>(item.time),
            std::string(names_.at(item.name & ~kFolderBit)), (item.name & kFolderBit) != 0};
}

TMainObj NewItemList::at(std::size_t i) const {
    std::lock_guard lock(mutex_);
    return i < order_.size() ? make(order_[i]) : TMainObj{};
}

std::string NewItemList::line(std::size_t i) const {
    return NewItemLine(at(i));
}

std::vector<TMainObj> NewItemList::items() const {
    std::lock_guard lock(mutex_);
    std::vector<TMainObj> all;
    all.reserve(order_.size());
    for (const Item& item : order_) all.push_back(make(item));
    return all;
}

// Grows by a quarter instead of doubling: a big check's list then holds little slack.
void NewItemList::makeRoom(std::size_t nameBytes) {
    const std::size_t count = order_.size();
    if (count == order_.capacity()) {
        const std::size_t more = count + count / 4 + 64;
        order_.reserve(more);
        names_.reserve(more, names_.textCapacity());
    }
    const std::size_t text = names_.textSize() + nameBytes;
    if (text > names_.textCapacity()) names_.reserve(order_.capacity(), text + text / 4 + 4096);
}

void NewItemList::append(const TMainObj& item) {
    std::lock_guard lock(mutex_);
    makeRoom(item.FullName.size());
    const auto name = static_cast<std::uint32_t>(names_.size());
    order_.push_back({item.Time, item.Size, item.IsFolder ? name | kFolderBit : name});
    names_.append(item.FullName);
}

void NewItemList::clear() {
    std::lock_guard lock(mutex_);
    order_.clear();
    order_.shrink_to_fit();
    names_.clear();
}

bool NewItemList::sortByLine() {
    std::lock_guard lock(mutex_);
    if (order_.empty()) return false;
    std::vector<std::string> keys(names_.size());
    const auto key = [&](const Item& item) -> std::string& {
        return keys[item.name & ~kFolderBit];
    };
    for (const Item& item : order_) key(item) = upperCp1251(NewItemLine(make(item)));
    std::stable_sort(order_.begin(), order_.end(),
                     [&](const Item& a, const Item& b) { return key(a) < key(b); });
    return true;
}

bool NewItemList::reverse() {
    std::lock_guard lock(mutex_);
    if (order_.empty()) return false;
    std::reverse(order_.begin(), order_.end());
    return true;
}

std::size_t NewItemList::capacityBytes() const {
    std::lock_guard lock(mutex_);
    return names_.capacityBytes() + order_.capacity() * sizeof(Item);
}

}  // namespace quarrow
