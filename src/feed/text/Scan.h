#pragma once
// Finding the next byte of a small set, sixteen bytes at a time where the
// processor allows. The large-text passes of the load spend most of their time
// here.

#include <cstddef>
#include <initializer_list>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace feed {

// The index of the first byte at or after `from` that equals one of `set`, or `n`.
template <size_t K>
inline size_t FindAnyOf(const char* p, size_t from, size_t n, const char (&set)[K]) {
    size_t i = from;
#if defined(__SSE2__)
    __m128i wanted[K];
    for (size_t k = 0; k < K; ++k) wanted[k] = _mm_set1_epi8(set[k]);
    for (; i + 16 <= n; i += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        __m128i hits = _mm_cmpeq_epi8(block, wanted[0]);
        for (size_t k = 1; k < K; ++k) hits = _mm_or_si128(hits, _mm_cmpeq_epi8(block, wanted[k]));
        const int mask = _mm_movemask_epi8(hits);
        if (mask != 0) return i + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
    }
#endif
    for (; i < n; ++i)
        for (size_t k = 0; k < K; ++k)
            if (p[i] == set[k]) return i;
    return n;
}

// The index of the first byte at or after `from` that is below 32 or equals
// one of `set`, or `n`.
template <size_t K>
inline size_t FindControlOrAnyOf(const char* p, size_t from, size_t n, const char (&set)[K]) {
    size_t i = from;
#if defined(__SSE2__)
    const __m128i lastControl = _mm_set1_epi8(0x1F);
    __m128i wanted[K];
    for (size_t k = 0; k < K; ++k) wanted[k] = _mm_set1_epi8(set[k]);
    for (; i + 16 <= n; i += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        // max(b, 31) == 31 exactly for the bytes 0..31, read unsigned
        __m128i hits = _mm_cmpeq_epi8(_mm_max_epu8(block, lastControl), lastControl);
        for (size_t k = 0; k < K; ++k) hits = _mm_or_si128(hits, _mm_cmpeq_epi8(block, wanted[k]));
        const int mask = _mm_movemask_epi8(hits);
        if (mask != 0) return i + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
    }
#endif
    for (; i < n; ++i) {
        if (static_cast<unsigned char>(p[i]) < 0x20) return i;
        for (size_t k = 0; k < K; ++k)
            if (p[i] == set[k]) return i;
    }
    return n;
}

}  // namespace feed
