// Classification of 64 input bytes into the bit masks the JSON minifier's
// structural pass needs: whitespace, structural characters, quotes,
// backslashes and control bytes, and the digits and dots numbers are
// checked with. Bit i of each mask describes byte i.
// Three kernels give the same masks: a portable word-at-a-time one, SSE2
// (every x86-64 CPU) and AVX2 (selected at run time, json_classify_avx2.cpp).
#pragma once

#include <cstdint>

#include "formats/compiler_hints.hpp"
#include "formats/json_scan.hpp"

namespace velmora::uvc_stereo::detail::json_classify {

struct RawMasks {
    std::uint64_t whitespace;   // space, tab, line feed, carriage return
    std::uint64_t structurals;  // , : [ ] { }, and 0x0C and 0x1A (see below)
    std::uint64_t quotes;       // "
    std::uint64_t backslashes;  // the escape character
    std::uint64_t controls;     // bytes below 0x20, whitespace among them
    std::uint64_t digits;       // 0-9
    std::uint64_t dots;         // .
};

// Structurals are the bytes that read as ',' ':' '{' or '}' with bit 5 set,
// which folds '[' and ']' onto '{' and '}' but also the control bytes 0x0C
// and 0x1A onto ',' and ':'. Those are wrong wherever they stand outside
// strings: the structural pass sees them as tokens and stops there.

namespace portable {

namespace scan = json_scan::portable;

inline std::uint64_t structural_bytes(std::uint64_t word) {
    const std::uint64_t with_bit5 = word | (scan::kOnes * 0x20);
    return scan::bytes_equal(with_bit5, '{') | scan::bytes_equal(with_bit5, '}') | scan::bytes_equal(with_bit5, ',') |
           scan::bytes_equal(with_bit5, ':');
}

inline RawMasks classify(const char* block) {
    RawMasks masks{};
    for (unsigned i = 0; i < json_scan::kBlockSize / 8; ++i) {
        const std::uint64_t word = scan::load_word(block + 8 * i);
        const auto mask = [i](std::uint64_t high_bits) {
            return std::uint64_t{scan::gather_high_bits(high_bits)} << (8 * i);
        };
        masks.whitespace |= mask(scan::whitespace_bytes(word));
        masks.structurals |= mask(structural_bytes(word));
        masks.quotes |= mask(scan::bytes_equal(word, '"'));
        masks.backslashes |= mask(scan::bytes_equal(word, '\\'));
        masks.controls |= mask(scan::bytes_below_0x20(word));
        masks.digits |= mask(scan::digit_bytes(word));
        masks.dots |= mask(scan::bytes_equal(word, '.'));
    }
    return masks;
}

// Whether the block holds a quote, a backslash or a control byte.
inline bool has_string_stops(const char* block) {
    std::uint64_t stops = 0;
    for (unsigned i = 0; i < json_scan::kBlockSize / 8; ++i) stops |= scan::string_stop_bytes(scan::load_word(block + 8 * i));
    return stops != 0;
}

}  // namespace portable

#ifdef VELMORA_JSON_HAVE_SSE2
namespace sse2 {

namespace scan = json_scan::sse2;

VELMORA_FORCE_INLINE __m128i structural_bytes(__m128i v) {
    const __m128i with_bit5 = _mm_or_si128(v, scan::splat(0x20));
    return _mm_or_si128(
        _mm_or_si128(_mm_cmpeq_epi8(with_bit5, scan::splat('{')), _mm_cmpeq_epi8(with_bit5, scan::splat('}'))),
        _mm_or_si128(_mm_cmpeq_epi8(with_bit5, scan::splat(',')), _mm_cmpeq_epi8(with_bit5, scan::splat(':'))));
}
// max(v, 0x1F) stays 0x1F exactly for the bytes up to 0x1F.
VELMORA_FORCE_INLINE __m128i control_bytes(__m128i v) {
    return _mm_cmpeq_epi8(_mm_max_epu8(v, scan::splat(0x1F)), scan::splat(0x1F));
}

VELMORA_FORCE_INLINE RawMasks classify(const char* block) {
    RawMasks masks{};
    for (unsigned i = 0; i < json_scan::kBlockSize / json_scan::kSpanSize; ++i) {
        const __m128i v = scan::load(block + json_scan::kSpanSize * i);
        const unsigned shift = json_scan::kSpanSize * i;
        masks.whitespace |= std::uint64_t{scan::bits(scan::whitespace_bytes(v))} << shift;
        masks.structurals |= std::uint64_t{scan::bits(structural_bytes(v))} << shift;
        masks.quotes |= std::uint64_t{scan::bits(_mm_cmpeq_epi8(v, scan::splat('"')))} << shift;
        masks.backslashes |= std::uint64_t{scan::bits(_mm_cmpeq_epi8(v, scan::splat('\\')))} << shift;
        masks.controls |= std::uint64_t{scan::bits(control_bytes(v))} << shift;
        masks.digits |= std::uint64_t{scan::bits(scan::digit_bytes(v))} << shift;
        masks.dots |= std::uint64_t{scan::bits(_mm_cmpeq_epi8(v, scan::splat('.')))} << shift;
    }
    return masks;
}

// Whether the block holds a quote, a backslash or a control byte.
VELMORA_FORCE_INLINE bool has_string_stops(const char* block) {
    __m128i stops = scan::string_stop_bytes(scan::load(block));
    for (unsigned i = 1; i < json_scan::kBlockSize / json_scan::kSpanSize; ++i) {
        stops = _mm_or_si128(stops, scan::string_stop_bytes(scan::load(block + json_scan::kSpanSize * i)));
    }
    return scan::bits(stops) != 0;
}

}  // namespace sse2
#endif

}  // namespace velmora::uvc_stereo::detail::json_classify
