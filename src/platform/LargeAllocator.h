#pragma once

#include <cstddef>
#include <string>
#include <type_traits>
#include <utility>

namespace quarrow {

// Memory for the large arenas that hold an archive's names. A request of a few MiB or more is
// mapped on its own, so it goes back to the system the moment it is freed instead of staying
// in the heap; smaller requests go to the ordinary heap. The mappings keep the system's usual
// pages: asking for 2 MiB pages made loading ten million names slower on the virtual machines
// measured, whose system time then ran from 0.1 to 1.9 s a load against about 0.4 s.
// Throws std::bad_alloc when the memory cannot be had.
void* allocateLarge(std::size_t bytes);
// Gives back what allocateLarge returned for the same byte count.
void releaseLarge(void* memory, std::size_t bytes) noexcept;

template <typename T>
struct LargeAllocator {
    using value_type = T;

    LargeAllocator() = default;
    template <typename U>
    LargeAllocator(const LargeAllocator<U>&) noexcept {}

    T* allocate(std::size_t count) { return static_cast<T*>(allocateLarge(count * sizeof(T))); }
    void deallocate(T* memory, std::size_t count) noexcept {
        releaseLarge(memory, count * sizeof(T));
    }

    friend bool operator==(const LargeAllocator&, const LargeAllocator&) { return true; }
};

// A fixed number of plain values in such memory, left as allocated: whoever fills the array
// writes every element, so its pages are first touched by the threads that fill it instead of
// being zeroed beforehand by one.
template <typename T>
class LargeArray {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    LargeArray() = default;
    explicit LargeArray(std::size_t size)
        : data_(static_cast<T*>(allocateLarge(size * sizeof(T)))), size_(size) {}
    ~LargeArray() {
        if (data_) releaseLarge(data_, size_ * sizeof(T));
    }
    LargeArray(LargeArray&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}
    LargeArray& operator=(LargeArray&& other) noexcept {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
        return *this;
    }

    T* data() { return data_; }
    const T* data() const { return data_; }
    T& operator[](std::size_t i) { return data_[i]; }
    const T& operator[](std::size_t i) const { return data_[i]; }
    std::size_t size() const { return size_; }

private:
    T* data_ = nullptr;
    std::size_t size_ = 0;
};

// Bytes held only while a large file is being read, such as a snapshot's inflated content.
using LargeString = std::basic_string<char, std::char_traits<char>, LargeAllocator<char>>;

}  // namespace quarrow
