#include "platform/LargeAllocator.h"

#include <sys/mman.h>

#include <new>

namespace quarrow {
namespace {

// The heap serves smaller blocks faster, and keeping them for reuse costs little.
constexpr std::size_t kMappedFrom = std::size_t{4} << 20;

}  // namespace

void* allocateLarge(std::size_t bytes) {
    if (bytes < kMappedFrom) return ::operator new(bytes);
    void* memory =
        ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) throw std::bad_alloc();
    return memory;
}

void releaseLarge(void* memory, std::size_t bytes) noexcept {
    if (bytes < kMappedFrom) {
        ::operator delete(memory);
        return;
    }
    ::munmap(memory, bytes);
}

}  // namespace quarrow
