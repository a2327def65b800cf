// Byte classification for the JSON minifier: a bit mask of whitespace for a
// 64-byte block, masks of the bytes of a number or of the end of a short
// string for a 16-byte span, and a search for the end of a longer string.
// Two paths are selected at compile time: SSE2, which every x86-64 CPU has
// (so no run-time dispatch), and a portable word-at-a-time path for other
// architectures, also forced by defining VELMORA_JSON_PORTABLE_SCAN. Both are
// compiled on x86-64 so that tests can hold them against each other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "formats/compiler_hints.hpp"

#if defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64)
#define VELMORA_JSON_HAVE_SSE2 1
#include <emmintrin.h>
#endif

#if defined(_MSC_VER) && !defined(__clang__)
#include <intrin.h>
#endif

namespace velmora::uvc_stereo::detail::json_scan {

constexpr std::size_t kBlockSize = 64;
constexpr std::size_t kSpanSize = 16;

// Bit i describes byte i of a 16-byte span.
struct NumberMasks {
    std::uint32_t digits;        // 0-9
    std::uint32_t dots;          // '.'
    std::uint32_t number_bytes;  // 0-9 . e E: the bytes of a number after its sign
};

// The index of the lowest set bit; `bits` must not be zero.
VELMORA_FORCE_INLINE unsigned lowest_set_bit(std::uint64_t bits) {
#if defined(_MSC_VER) && !defined(__clang__)
    unsigned long index = 0;
    _BitScanForward64(&index, bits);
    return static_cast<unsigned>(index);
#else
    return static_cast<unsigned>(__builtin_ctzll(bits));
#endif
}

// The index of the highest set bit; `bits` must not be zero.
VELMORA_FORCE_INLINE unsigned highest_set_bit(std::uint64_t bits) {
#if defined(_MSC_VER) && !defined(__clang__)
    unsigned long index = 0;
    _BitScanReverse64(&index, bits);
    return static_cast<unsigned>(index);
#else
    return 63u - static_cast<unsigned>(__builtin_clzll(bits));
#endif
}

// The number of set bits.
inline unsigned count_bits(std::uint64_t bits) {
    unsigned count = 0;
    for (; bits != 0; bits &= bits - 1) ++count;
    return count;
}

namespace portable {

constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
constexpr std::uint64_t kHighBits = kOnes * 0x80;
constexpr std::uint64_t kLowSevenBits = kOnes * 0x7F;

// Bytes in little-endian order whatever the host's, so bit i of a mask is
// byte i of the input on every architecture.
inline std::uint64_t load_word(const char* p) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(p);
    std::uint64_t word = 0;
    for (int i = 7; i >= 0; --i) word = (word << 8) | bytes[i];
    return word;
}

// The high bit of each byte that is zero. Exact per byte: the sum of the low
// seven bits cannot carry into the next byte.
inline std::uint64_t zero_bytes(std::uint64_t word) {
    return ~(((word & kLowSevenBits) + kLowSevenBits) | word) & kHighBits;
}
inline std::uint64_t bytes_equal(std::uint64_t word, unsigned char value) { return zero_bytes(word ^ (kOnes * value)); }
inline std::uint64_t bytes_below_0x20(std::uint64_t word) { return zero_bytes(word & (kOnes * 0xE0)); }
// 0x30-0x39: high nibble 3, and a low nibble that does not reach 0x10 when 6 is added.
inline std::uint64_t digit_bytes(std::uint64_t word) {
    const std::uint64_t high_nibble_is_3 = zero_bytes((word & (kOnes * 0xF0)) ^ (kOnes * 0x30));
    const std::uint64_t low_nibble_above_9 = (((word & (kOnes * 0x0F)) + (kOnes * 0x06)) << 3) & kHighBits;
    return high_nibble_is_3 & ~low_nibble_above_9;
}
// Gathers the high bit of byte i into bit i. No two partial products meet,
// so nothing carries.
inline std::uint32_t gather_high_bits(std::uint64_t high_bits) {
    return static_cast<std::uint32_t>(((high_bits >> 7) * 0x0102040810204080ULL) >> 56);
}
inline std::uint64_t whitespace_bytes(std::uint64_t word) {
    return bytes_equal(word, ' ') | bytes_equal(word, '\t') | bytes_equal(word, '\n') | bytes_equal(word, '\r');
}
inline std::uint64_t string_stop_bytes(std::uint64_t word) {
    return bytes_equal(word, '"') | bytes_equal(word, '\\') | bytes_below_0x20(word);
}

// Bit i set where byte i of the 64-byte block is not whitespace.
inline std::uint64_t not_whitespace(const char* block) {
    std::uint64_t whitespace = 0;
    for (unsigned i = 0; i < kBlockSize / 8; ++i) {
        whitespace |= static_cast<std::uint64_t>(gather_high_bits(whitespace_bytes(load_word(block + 8 * i))))
                      << (8 * i);
    }
    return ~whitespace;
}

inline NumberMasks classify_number(const char* span) {
    NumberMasks masks{0, 0, 0};
    for (unsigned i = 0; i < kSpanSize / 8; ++i) {
        const std::uint64_t word = load_word(span + 8 * i);
        masks.digits |= gather_high_bits(digit_bytes(word)) << (8 * i);
        masks.dots |= gather_high_bits(bytes_equal(word, '.')) << (8 * i);
        masks.number_bytes |= gather_high_bits(digit_bytes(word) | bytes_equal(word, '.') |
                                               bytes_equal(word | (kOnes * 0x20), 'e'))
                              << (8 * i);
    }
    return masks;
}

// Bit i set where byte i of the span is '"', '\\' or below 0x20.
inline std::uint32_t string_stops(const char* span) {
    std::uint32_t stops = 0;
    for (unsigned i = 0; i < kSpanSize / 8; ++i) {
        stops |= gather_high_bits(string_stop_bytes(load_word(span + 8 * i))) << (8 * i);
    }
    return stops;
}

inline void copy16(char* to, const char* from) { std::memcpy(to, from, kSpanSize); }

// The first '"', '\\' or byte below 0x20 in [p, end), or end.
inline const char* find_string_stop(const char* p, const char* end) {
    while (end - p >= 8 && string_stop_bytes(load_word(p)) == 0) p += 8;
    for (; p != end; ++p) {
        const auto byte = static_cast<unsigned char>(*p);
        if (byte == '"' || byte == '\\' || byte < 0x20) break;
    }
    return p;
}

}  // namespace portable

#ifdef VELMORA_JSON_HAVE_SSE2
namespace sse2 {

VELMORA_FORCE_INLINE __m128i load(const char* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
VELMORA_FORCE_INLINE __m128i splat(char c) { return _mm_set1_epi8(c); }
VELMORA_FORCE_INLINE std::uint32_t bits(__m128i bytes) {
    return static_cast<std::uint32_t>(_mm_movemask_epi8(bytes));
}

// Tab and carriage return are the only bytes that read as 0x0D with bit 2 set.
VELMORA_FORCE_INLINE __m128i whitespace_bytes(__m128i v) {
    return _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, splat(' ')), _mm_cmpeq_epi8(v, splat('\n'))),
                        _mm_cmpeq_epi8(_mm_or_si128(v, splat(0x04)), splat('\r')));
}
// '0'-'9' moved to -128..-119 by adding 0x50, so one signed compare finds them.
VELMORA_FORCE_INLINE __m128i digit_bytes(__m128i v) {
    return _mm_cmplt_epi8(_mm_add_epi8(v, splat(0x50)), splat(-118));
}
// A saturating subtraction of 0x1F leaves zero exactly for bytes up to 0x1F.
VELMORA_FORCE_INLINE __m128i string_stop_bytes(__m128i v) {
    const __m128i control = _mm_cmpeq_epi8(_mm_subs_epu8(v, splat(0x1F)), _mm_setzero_si128());
    return _mm_or_si128(control, _mm_or_si128(_mm_cmpeq_epi8(v, splat('"')), _mm_cmpeq_epi8(v, splat('\\'))));
}

VELMORA_FORCE_INLINE std::uint64_t not_whitespace(const char* block) {
    const std::uint64_t a = bits(whitespace_bytes(load(block)));
    const std::uint64_t b = bits(whitespace_bytes(load(block + 16)));
    const std::uint64_t c = bits(whitespace_bytes(load(block + 32)));
    const std::uint64_t d = bits(whitespace_bytes(load(block + 48)));
    return ~(a | (b << 16) | (c << 32) | (d << 48));
}

VELMORA_FORCE_INLINE NumberMasks classify_number(const char* span) {
    const __m128i v = load(span);
    const __m128i digits = digit_bytes(v);
    const __m128i dots = _mm_cmpeq_epi8(v, splat('.'));
    const __m128i exponents = _mm_cmpeq_epi8(_mm_or_si128(v, splat(0x20)), splat('e'));
    return NumberMasks{bits(digits), bits(dots), bits(_mm_or_si128(_mm_or_si128(digits, dots), exponents))};
}

VELMORA_FORCE_INLINE std::uint32_t string_stops(const char* span) { return bits(string_stop_bytes(load(span))); }

// An explicit vector move: a loop of 16-byte memcpy calls may be turned
// into "rep movs", which is slow for the short runs copied here.
VELMORA_FORCE_INLINE void copy16(char* to, const char* from) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to), load(from));
}

// The first '"', '\\' or byte below 0x20 in [p, end), or end. Reads only
// inside [p, end): 16 bytes first, for the short pieces between escapes,
// then 64 at a time, then 16, then one.
VELMORA_FORCE_INLINE const char* find_string_stop(const char* p, const char* end) {
    if (end - p >= 16) {
        const std::uint32_t mask = bits(string_stop_bytes(load(p)));
        if (mask != 0) return p + lowest_set_bit(mask);
        p += 16;
    }
    while (end - p >= 64) {
        const __m128i a = string_stop_bytes(load(p));
        const __m128i b = string_stop_bytes(load(p + 16));
        const __m128i c = string_stop_bytes(load(p + 32));
        const __m128i d = string_stop_bytes(load(p + 48));
        if (bits(_mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, d))) != 0) {
            const std::uint64_t mask = bits(a) | (static_cast<std::uint64_t>(bits(b)) << 16) |
                                       (static_cast<std::uint64_t>(bits(c)) << 32) |
                                       (static_cast<std::uint64_t>(bits(d)) << 48);
            return p + lowest_set_bit(mask);
        }
        p += 64;
    }
    while (end - p >= 16) {
        const std::uint32_t mask = bits(string_stop_bytes(load(p)));
        if (mask != 0) return p + lowest_set_bit(mask);
        p += 16;
    }
    return portable::find_string_stop(p, end);
}

}  // namespace sse2
#endif

// The path the minifier uses.
#if defined(VELMORA_JSON_HAVE_SSE2) && !defined(VELMORA_JSON_PORTABLE_SCAN)
namespace active = sse2;
#else
namespace active = portable;
#endif

}  // namespace velmora::uvc_stereo::detail::json_scan
