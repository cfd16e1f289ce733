#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>

namespace quarrow {

// Hands `text` to `visit(from, bytes)` sixteen bytes at a time, `from` being where `bytes`
// start in the text. The last bytes come from a copy padded with NULs, so no load reaches past
// the text: whoever looks for bytes in it must not look for a NUL, or must mask the padding.
template <class Visit>
void forEachSixteen(std::string_view text, Visit visit) {
    const char* data = text.data();
    std::size_t from = 0;
    for (; from + 16 <= text.size(); from += 16)
        visit(from, _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + from)));
    if (from < text.size()) {
        alignas(16) char padded[16] = {};
        std::memcpy(padded, data + from, text.size() - from);
        visit(from, _mm_load_si128(reinterpret_cast<const __m128i*>(padded)));
    }
}

// One bit for each of the sixteen bytes that equals `wanted`.
inline unsigned bytesEqual(__m128i bytes, char wanted) {
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(wanted))));
}

}  // namespace quarrow

#endif
