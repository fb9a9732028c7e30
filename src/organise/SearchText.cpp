#include "organise/SearchText.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define TOVIK_SEARCH_X86 1
#endif

namespace {

// Texts shorter than this are read directly; a summary would not pay.
constexpr qsizetype summaryThreshold = 384;

quint32 sequenceHash(const char* at) {
    const quint32 sequence =
        quint32(uchar(at[0])) | quint32(uchar(at[1])) << 8 | quint32(uchar(at[2])) << 16;
    return sequence * 0x9E3779B1u;
}

} // namespace

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

    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i + 3 <= size && i < 64; ++i)
        sequenceHashes.push_back(sequenceHash(bytes.constData() + i));
    if (size < summaryThreshold) {
        if (size > 64)
            sequenceHashes.clear(); // too long to be a query word
        return;
    }
    sequenceHashes.clear();
    // About four bits per byte of text leaves roughly a quarter of them set.
    int bits = 9;
    while (bits < 17 && (qsizetype(1) << bits) < size * 4)
        ++bits;
    summary.assign(size_t(1) << (bits - 6), 0);
    summaryShift = 32 - bits;
    for (qsizetype i = 0; i + 3 <= size; ++i) {
        const quint32 bit = sequenceHash(bytes.constData() + i) >> summaryShift;
        summary[bit >> 6] |= quint64(1) << (bit & 63);
    }
}

bool SearchText::mayContain(const SearchText& needle) const {
    if (summary.empty() || needle.sequenceHashes.empty())
        return true;
    for (quint32 hash : needle.sequenceHashes) {
        const quint32 bit = hash >> summaryShift;
        if ((summary[bit >> 6] & (quint64(1) << (bit & 63))) == 0)
            return false;
    }
    return true;
}

namespace {

using Finder = bool (*)(const char*, qsizetype, const char*, qsizetype);

// For short texts and the ends of long ones, where setting up anything
// cleverer costs more than it saves.
bool portableFind(const char* hay, qsizetype n, const char* needle, qsizetype m) {
    const char first = needle[0];
    const char* end = hay + n - m + 1;
    for (const char* at = hay; at < end; ++at) {
        at = static_cast<const char*>(std::memchr(at, first, size_t(end - at)));
        if (at == nullptr)
            return false;
        if (std::memcmp(at + 1, needle + 1, size_t(m - 1)) == 0)
            return true;
    }
    return false;
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
    if (m > n || !mayContain(needle))
        return false;
    if (m == 1)
        return std::memchr(bytes.constData(), needle.bytes[0], size_t(n)) != nullptr;
    static const Finder find = chooseFinder();
    return find(bytes.constData(), n, needle.bytes.constData(), m);
}
