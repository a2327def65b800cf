// The JSON minifier's quick check of a number: the integers and decimal
// fractions calibration values are written as, recognised 16 bytes at a
// time without branching on their bytes. Anything else (an exponent, more
// than 15 bytes, a leading zero before a digit) is left to the byte-by-byte
// scanner of json_tokens.hpp.
#pragma once

#include <cstdint>

#include "formats/compiler_hints.hpp"
#include "formats/json_scan.hpp"

namespace velmora::uvc_stereo::detail {

// True when the `length` bytes (1 to 15) at `number`, a '-' if `minus` is
// 1 and then digits, dots and exponent letters, are exactly an integer or a
// decimal fraction. Checked without branches, because signs and leading
// digits are as good as random; anything else (an exponent, two dots, a
// misplaced dot, a leading zero before a digit) is refused.
VELMORA_FORCE_INLINE bool is_plain_number(const char* number, unsigned length, unsigned minus,
                                          json_scan::NumberMasks masks) {
    const std::uint32_t all = (1u << length) - 1;
    const std::uint32_t not_digits = (all ^ minus) & ~masks.digits;  // must be one dot, or nothing
    const std::uint32_t first_digit = 1u << minus;
    const std::uint32_t last = (all >> 1) + 1;
    const std::uint32_t zero_then_digit = (number[minus] == '0') & (masks.digits >> (minus + 1));
    return ((not_digits & ~masks.dots) |        // no exponent,
            (not_digits & (not_digits - 1)) |    // one dot at most, not last,
            (not_digits & last) |                // with a digit first after the sign
            (first_digit & ~masks.digits) |      // (which also rules out a lone sign),
            (zero_then_digit & 1)) == 0;         // and a leading zero alone
}

// The length of the plain number at `number` (a '-' or a digit, readable
// 16 bytes on), or 0 when it is not plain or runs 16 bytes or more.
VELMORA_FORCE_INLINE unsigned plain_number_length(const char* number) {
    const json_scan::NumberMasks masks = json_scan::active::classify_number(number);
    const unsigned minus = *number == '-';
    const unsigned length = json_scan::lowest_set_bit(~(masks.number_bytes | minus));  // 16 when all number
    if (length >= json_scan::kSpanSize || !is_plain_number(number, length, minus, masks)) return 0;
    return length;
}

}  // namespace velmora::uvc_stereo::detail
