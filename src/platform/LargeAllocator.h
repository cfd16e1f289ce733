#pragma once

#include <cstddef>
#include <string>

namespace quarrow {

// Memory for the large arenas that hold an archive's names. A request of a few MiB or more is
// mapped on its own and the kernel is asked to back it with 2 MiB pages: filling ten million
// names otherwise takes hundreds of thousands of 4 KiB page faults, and on virtual machines
// those cost more than reading the names. Smaller requests go to the ordinary heap.
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

// Bytes held only while a large file is being read, such as a snapshot's inflated content.
using LargeString = std::basic_string<char, std::char_traits<char>, LargeAllocator<char>>;

}  // namespace quarrow
