// The structure of a 64-byte block of JSON text, from its raw byte masks and
// what the block before it left open: which bytes are escaped, which lie in
// strings, where tokens start and which bytes the minified text keeps.
//
// The masks are exact for valid text. For invalid text they may be wrong
// past the first error, which is harmless: the structural pass checks the
// tokens in order and stops at the first one that is wrong.
#pragma once

#include <cstdint>

#include "formats/compiler_hints.hpp"
#include "formats/json_classify.hpp"
#include "formats/json_output.hpp"
#include "formats/json_scan.hpp"

namespace velmora::uvc_stereo::detail::json_structure {

// What a block hands on to the next one.
struct Carry {
    std::uint64_t escaped = 0;    // 1: the next block's first byte is escaped
    std::uint64_t in_string = 0;  // all ones: the next block starts inside a string
    std::uint64_t scalar = 0;     // 1: the last byte belongs to a number or literal
};

struct Block {
    std::uint64_t tokens;          // first byte of every token: structurals, opening quotes, scalars
    std::uint64_t kept;            // bytes of the minified text: all but whitespace outside strings
    std::uint64_t opening_quotes;  // the quote that opens each string
    std::uint64_t escapes;         // escaped bytes but backslashes, inside strings (see escaped_bytes)
    std::uint64_t controls;        // bytes below 0x20 inside strings, all of them wrong
};

// A block wholly inside a string, with no quote, backslash or control byte.
constexpr Block kStringInterior{0, ~std::uint64_t{0}, 0, 0, 0};

// Whether the next block continues a string without an escape pending:
// the kernels then look for the bytes that could end or break it, and
// otherwise take the block as kStringInterior.
VELMORA_FORCE_INLINE bool continues_string(const Carry& carry) {
    return carry.in_string != 0 && carry.escaped == 0;
}

constexpr std::uint64_t kEvenBits = 0x5555555555555555ULL;
constexpr std::uint64_t kOddBits = ~kEvenBits;

// Bit i set where byte i follows a backslash that escapes it, unless it is a
// backslash itself: an escaped backslash is always a valid escape and
// escapes nothing, so only the byte after a run of backslashes counts. In a
// run every other backslash escapes the next byte, starting with the run's
// first: the byte after the run is escaped when the run is odd. A run that
// reaches the block's end carries its parity on.
VELMORA_FORCE_INLINE std::uint64_t escaped_bytes(std::uint64_t backslashes, Carry& carry) {
    if (backslashes == 0 && carry.escaped == 0) return 0;
    const std::uint64_t escaped_first = carry.escaped;
    const std::uint64_t escaping = backslashes & ~escaped_first;  // an escaped backslash escapes nothing
    const std::uint64_t run_starts = escaping & ~(escaping << 1);
    // Adding a run's start bit to the run carries past its end: the bit
    // after the run. An odd run ends on the other parity than it started.
    const std::uint64_t after_even_runs = (escaping + (run_starts & kEvenBits)) & ~escaping;
    const std::uint64_t after_odd_starts = escaping + (run_starts & kOddBits);
    const bool odd_run_reaches_end = after_odd_starts < escaping;  // the sum wrapped
    const std::uint64_t after_odd_runs = after_odd_starts & ~escaping;
    carry.escaped = odd_run_reaches_end ? 1 : 0;
    return (after_even_runs & kOddBits) | (after_odd_runs & kEvenBits) | (escaped_first & ~backslashes);
}

// Bit i: the parity of the bits 0..i of `bits`, by shifts.
struct PrefixXorByShifts {
    VELMORA_FORCE_INLINE std::uint64_t operator()(std::uint64_t bits) const {
        bits ^= bits << 1;
        bits ^= bits << 2;
        bits ^= bits << 4;
        bits ^= bits << 8;
        bits ^= bits << 16;
        bits ^= bits << 32;
        return bits;
    }
};

// `PrefixXor` computes the parity mask, by shifts or by a carry-less
// multiplication where the CPU has one.
template <typename PrefixXor>
VELMORA_FORCE_INLINE Block block_structure(const json_classify::RawMasks& raw, Carry& carry, PrefixXor prefix_xor) {
    const std::uint64_t escaped = escaped_bytes(raw.backslashes, carry);
    const std::uint64_t quotes = raw.quotes & ~escaped;
    const std::uint64_t in_string = prefix_xor(quotes) ^ carry.in_string;
    carry.in_string = static_cast<std::uint64_t>(static_cast<std::int64_t>(in_string) >> 63);

    // Numbers and literals: everything else outside strings.
    const std::uint64_t scalars = ~(raw.whitespace | raw.structurals | quotes | in_string);
    const std::uint64_t scalar_starts = scalars & ~((scalars << 1) | carry.scalar);
    carry.scalar = scalars >> 63;

    Block block;
    block.opening_quotes = quotes & in_string;
    block.tokens = (raw.structurals & ~in_string) | block.opening_quotes | scalar_starts;
    block.kept = ~raw.whitespace | in_string;
    block.escapes = escaped & in_string;
    block.controls = raw.controls & in_string;
    return block;
}

// A kernel: classifies `count` consecutive blocks from `data` and writes
// each block's kept bytes from `out` on, block i's from outputs[i]. Returns
// where writing goes on.
using ClassifyBlocks = char* (*)(const char* data, unsigned count, Carry& carry, Block* blocks, char** outputs,
                                 char* out);

// The portable kernel.
inline char* classify_blocks_portably(const char* data, unsigned count, Carry& carry, Block* blocks, char** outputs,
                                      char* out) {
    for (unsigned i = 0; i < count; ++i, data += json_scan::kBlockSize) {
        if (continues_string(carry) && !json_classify::has_string_stops_portably(data)) {
            blocks[i] = kStringInterior;
        } else {
            blocks[i] = block_structure(json_classify::classify_portably(data), carry, PrefixXorByShifts{});
        }
        outputs[i] = out;
        out = JsonOutput::put_kept(out, data, blocks[i].kept);
    }
    return out;
}

}  // namespace velmora::uvc_stereo::detail::json_structure
