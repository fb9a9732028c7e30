#include "organise/SearchText.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define TOVIK_SEARCH_X86 1
#endif

SearchText::SearchText(QStringView text) {
    bytes.resize(text.size() * 3);
    char* out = bytes.data();
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        if (unit < 0x80) {
            *out++ = char(unit);
        } else if (unit < 0x800) {
            *out++ = char(0xC0 | (unit >> 6));
            *out++ = char(0x80 | (unit & 0x3F));
        } else {
            *out++ = char(0xE0 | (unit >> 12));
            *out++ = char(0x80 | ((unit >> 6) & 0x3F));
            *out++ = char(0x80 | (unit & 0x3F));
        }
    }
    bytes.truncate(out - bytes.constData());
    bytes.squeeze();
}

namespace {

using Finder = bool (*)(const char*, qsizetype, const char*, qsizetype);

bool portableFind(const char* hay, qsizetype n, const char* needle, qsizetype m) {
    return memmem(hay, size_t(n), needle, size_t(m)) != nullptr;
}

#ifdef TOVIK_SEARCH_X86

// Candidate positions are those where both the needle's first and last byte
// match (compared sixteen or thirty-two positions at a time); only those are
// compared in full. Natural text rarely has both, so few candidates survive.
bool sse2Find(const char* hay, qsizetype n, const char* needle, qsizetype m) {
    const __m128i first = _mm_set1_epi8(needle[0]);
    const __m128i last = _mm_set1_epi8(needle[m - 1]);
    qsizetype i = 0;
    for (; i + m - 1 + 16 <= n; i += 16) {
        const __m128i blockFirst = _mm_loadu_si128(reinterpret_cast<const __m128i*>(hay + i));
        const __m128i blockLast =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(hay + i + m - 1));
        unsigned mask = unsigned(_mm_movemask_epi8(
            _mm_and_si128(_mm_cmpeq_epi8(first, blockFirst), _mm_cmpeq_epi8(last, blockLast))));
        while (mask != 0) {
            const int bit = __builtin_ctz(mask);
            if (std::memcmp(hay + i + bit + 1, needle + 1, size_t(m - 2)) == 0)
                return true;
            mask &= mask - 1;
        }
    }
    return i < n && portableFind(hay + i, n - i, needle, m);
}

__attribute__((target("avx2"))) bool avx2Find(const char* hay, qsizetype n, const char* needle,
                                              qsizetype m) {
    const __m256i first = _mm256_set1_epi8(needle[0]);
    const __m256i last = _mm256_set1_epi8(needle[m - 1]);
    qsizetype i = 0;
    for (; i + m - 1 + 32 <= n; i += 32) {
        const __m256i blockFirst = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(hay + i));
        const __m256i blockLast =
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(hay + i + m - 1));
        unsigned mask = unsigned(_mm256_movemask_epi8(_mm256_and_si256(
            _mm256_cmpeq_epi8(first, blockFirst), _mm256_cmpeq_epi8(last, blockLast))));
        while (mask != 0) {
            const int bit = __builtin_ctz(mask);
            if (std::memcmp(hay + i + bit + 1, needle + 1, size_t(m - 2)) == 0)
                return true;
            mask &= mask - 1;
        }
    }
    return i < n && portableFind(hay + i, n - i, needle, m);
}

Finder chooseFinder() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") ? avx2Find : sse2Find;
}

#else

Finder chooseFinder() {
    return portableFind;
}

#endif

} // namespace

bool SearchText::contains(const SearchText& needle) const {
    const qsizetype m = needle.bytes.size();
    const qsizetype n = bytes.size();
    if (m == 0)
        return true;
    if (m > n)
        return false;
    if (m == 1)
        return std::memchr(bytes.constData(), needle.bytes[0], size_t(n)) != nullptr;
    static const Finder find = chooseFinder();
    return find(bytes.constData(), n, needle.bytes.constData(), m);
}
