// Classification of 64 input bytes into the bit masks the JSON minifier's
// structural pass needs: whitespace, structural characters, quotes,
// backslashes and control bytes. Bit i of each mask describes byte i.
// This is the portable word-at-a-time kernel: the reference the AVX2 kernel
// (json_classify_avx2.cpp) is tested against, and the one that lets the
// structural pass run, and be tested, on any CPU.
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
};

// Structurals are the bytes that read as ',' ':' '{' or '}' with bit 5 set,
// which folds '[' and ']' onto '{' and '}' but also the control bytes 0x0C
// and 0x1A onto ',' and ':'. Those are wrong wherever they stand outside
// strings: the structural pass sees them as tokens and stops there.

namespace scan = json_scan::portable;

inline std::uint64_t structural_bytes(std::uint64_t word) {
    const std::uint64_t with_bit5 = word | (scan::kOnes * 0x20);
    return scan::bytes_equal(with_bit5, '{') | scan::bytes_equal(with_bit5, '}') | scan::bytes_equal(with_bit5, ',') |
           scan::bytes_equal(with_bit5, ':');
}

inline RawMasks classify_portably(const char* block) {
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
    }
    return masks;
}

// Whether the block holds a quote, a backslash or a control byte.
inline bool has_string_stops_portably(const char* block) {
    std::uint64_t stops = 0;
    for (unsigned i = 0; i < json_scan::kBlockSize / 8; ++i) stops |= scan::string_stop_bytes(scan::load_word(block + 8 * i));
    return stops != 0;
}

}  // namespace velmora::uvc_stereo::detail::json_classify
