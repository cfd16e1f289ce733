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
    return {item.size, item.time, std::string(names_.at(item.name)), item.isFolder};
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

void NewItemList::append(const TMainObj& item) {
    std::lock_guard lock(mutex_);
    order_.push_back(
        {item.Size, item.IsFolder, item.Time, static_cast<std::uint32_t>(names_.size())});
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
    for (const Item& item : order_) keys[item.name] = upperCp1251(NewItemLine(make(item)));
    std::stable_sort(order_.begin(), order_.end(),
                     [&](const Item& a, const Item& b) { return keys[a.name] < keys[b.name]; });
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
