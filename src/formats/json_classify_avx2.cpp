// The AVX2 kernel of the JSON minifier's block classification. Only the
// functions of this file marked VELMORA_AVX2 are compiled for AVX2 (a target
// attribute, not a file-wide flag), so nothing else in the library can pick
// up AVX2 instructions and run on a CPU without them.
#include "formats/json_classify_avx2.hpp"

#if (defined(__x86_64__) || defined(_M_X64)) && (defined(__GNUC__) || defined(__clang__)) && \
    !defined(VELMORA_JSON_PORTABLE_SCAN) && !defined(VELMORA_JSON_NO_AVX2)
#define VELMORA_JSON_HAVE_AVX2 1
#include <immintrin.h>
#endif

namespace velmora::uvc_stereo::detail {

#ifdef VELMORA_JSON_HAVE_AVX2
namespace {

#define VELMORA_AVX2 __attribute__((target("avx2,bmi,pclmul,popcnt")))

// A 16-byte lookup table for vpshufb, once per 128-bit lane: entry i holds
// the one byte with low nibble i that the test accepts, or 0xFF for none.
// vpshufb gives 0 for bytes with the high bit set, which no test accepts.
struct alignas(32) ByteTable {
    unsigned char entries[32];
    constexpr explicit ByteTable(const char* members) : entries() {
        for (unsigned char& entry : entries) entry = 0xFF;
        for (; *members != '\0'; ++members) {
            const auto byte = static_cast<unsigned char>(*members);
            entries[byte & 0x0F] = byte;
            entries[16 + (byte & 0x0F)] = byte;
        }
    }
};

// No two members share a low nibble; the structurals are looked up with bit
// 5 set, which folds '[' ']' onto '{' '}'.
constexpr ByteTable kWhitespaceTable(" \t\n\r");
constexpr ByteTable kStructuralTable(",:{}");

struct alignas(32) Splat {
    unsigned char bytes[32];
    constexpr explicit Splat(unsigned char value) : bytes() {
        for (unsigned char& byte : bytes) byte = value;
    }
};
constexpr Splat kBit5(0x20);
constexpr Splat kQuote('"');
constexpr Splat kBackslash('\\');
constexpr Splat kLastControl(0x1F);

VELMORA_AVX2 inline __m256i load(const void* p) { return _mm256_loadu_si256(static_cast<const __m256i*>(p)); }

VELMORA_AVX2 inline std::uint64_t bits(__m256i low, __m256i high) {
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(low)) |
           (std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(high))} << 32);
}

VELMORA_AVX2 inline __m256i whitespace_bytes(__m256i v) {
    return _mm256_cmpeq_epi8(_mm256_shuffle_epi8(load(kWhitespaceTable.entries), v), v);
}
VELMORA_AVX2 inline __m256i structural_bytes(__m256i v) {
    const __m256i with_bit5 = _mm256_or_si256(v, load(kBit5.bytes));
    return _mm256_cmpeq_epi8(_mm256_shuffle_epi8(load(kStructuralTable.entries), with_bit5), with_bit5);
}
// max(v, 0x1F) stays 0x1F exactly for the bytes up to 0x1F.
VELMORA_AVX2 inline __m256i control_bytes(__m256i v) {
    return _mm256_cmpeq_epi8(_mm256_max_epu8(v, load(kLastControl.bytes)), load(kLastControl.bytes));
}
VELMORA_AVX2 inline __m256i bytes_equal(__m256i v, const Splat& byte) { return _mm256_cmpeq_epi8(v, load(byte.bytes)); }

// The masks of 64 bytes, as json_classify.hpp defines them.
VELMORA_AVX2 inline json_classify::RawMasks classify(const char* block) {
    const __m256i a = load(block);
    const __m256i b = load(block + 32);
    return json_classify::RawMasks{
        bits(whitespace_bytes(a), whitespace_bytes(b)),
        bits(structural_bytes(a), structural_bytes(b)),
        bits(bytes_equal(a, kQuote), bytes_equal(b, kQuote)),
        bits(bytes_equal(a, kBackslash), bytes_equal(b, kBackslash)),
        bits(control_bytes(a), control_bytes(b)),
    };
}

VELMORA_AVX2 inline __m256i string_stop_bytes(__m256i v) {
    return _mm256_or_si256(_mm256_or_si256(bytes_equal(v, kQuote), bytes_equal(v, kBackslash)), control_bytes(v));
}

// Whether the block holds a quote, a backslash or a control byte.
VELMORA_AVX2 inline bool has_string_stops(const char* block) {
    const __m256i stops = _mm256_or_si256(string_stop_bytes(load(block)), string_stop_bytes(load(block + 32)));
    return _mm256_testz_si256(stops, stops) == 0;
}

// For each way of keeping some of 8 bytes, the vpshufb indices that gather
// the kept ones at the front (0x80, an index that gives 0, for the rest):
// for the low and for the high 8 bytes of a 16-byte piece.
struct CompactionTable {
    alignas(8) unsigned char low[256][8];
    alignas(8) unsigned char high[256][8];
    constexpr CompactionTable() : low(), high() {
        for (unsigned kept = 0; kept < 256; ++kept) {
            unsigned count = 0;
            for (unsigned byte = 0; byte < 8; ++byte) {
                if ((kept >> byte) & 1) {
                    low[kept][count] = static_cast<unsigned char>(byte);
                    high[kept][count] = static_cast<unsigned char>(byte + 8);
                    ++count;
                }
            }
            for (; count < 8; ++count) low[kept][count] = high[kept][count] = 0x80;
        }
    }
};
constexpr CompactionTable kCompaction;

// The bytes of a block marked in `kept`, 16 at a time: each half of a piece
// gathered in one shuffle and stored whole, the next store starting after
// its kept bytes. Writes up to 8 bytes past the kept ones.
VELMORA_AVX2 inline char* put_kept(char* out, const char* block, std::uint64_t kept) {
    if (kept == ~std::uint64_t{0}) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), load(block));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 32), load(block + 32));
        return out + json_scan::kBlockSize;
    }
    // Two runs or fewer, between long whitespace, are copied as runs of up
    // to 16 bytes, without a branch on how many there are.
    const std::uint64_t starts = kept & ~(kept << 1);
    const std::uint64_t lasts = kept & ~(kept >> 1);
    const std::uint64_t second_start = starts & (starts - 1);
    if ((second_start & (second_start - 1)) == 0) {
        // A missing run starts at 64 (tzcnt of nothing), masked to 0, and
        // has no length.
        const unsigned first = static_cast<unsigned>(_tzcnt_u64(starts)) & 63;
        const unsigned second = static_cast<unsigned>(_tzcnt_u64(second_start)) & 63;
        const unsigned first_length = starts != 0 ? static_cast<unsigned>(_tzcnt_u64(lasts)) + 1 - first : 0;
        const unsigned second_length =
            second_start != 0 ? static_cast<unsigned>(_tzcnt_u64(lasts & (lasts - 1))) + 1 - second : 0;
        if (VELMORA_UNLIKELY((first_length | second_length) > json_scan::kSpanSize)) {
            return JsonOutput::put_kept(out, block, kept);
        }
        json_scan::sse2::copy16(out, block + first);
        out += first_length;
        json_scan::sse2::copy16(out, block + second);
        return out + second_length;
    }
    for (unsigned piece = 0; piece < json_scan::kBlockSize; piece += json_scan::kSpanSize, kept >>= 16) {
        const unsigned low = static_cast<unsigned>(kept) & 0xFF;
        const unsigned high = static_cast<unsigned>(kept >> 8) & 0xFF;
        // The 64-bit halves move through __m64 pointers: GCC implements the
        // double-pointer forms as plain double accesses, which must be aligned.
        const __m128i indices = _mm_castps_si128(
            _mm_loadh_pi(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(kCompaction.low[low]))),
                         reinterpret_cast<const __m64*>(kCompaction.high[high])));
        const __m128i packed =
            _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(block + piece)), indices);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out), packed);
        out += _mm_popcnt_u32(low);
        _mm_storeh_pi(reinterpret_cast<__m64*>(out), _mm_castsi128_ps(packed));
        out += _mm_popcnt_u32(high);
    }
    return out;
}

// The parity of the bits below and at each bit: a carry-less multiplication
// by all ones.
struct PrefixXorByMultiplication {
    VELMORA_AVX2 std::uint64_t operator()(std::uint64_t bits) const {
        const __m128i product = _mm_clmulepi64_si128(_mm_set_epi64x(0, static_cast<long long>(bits)),
                                                     _mm_set1_epi8(static_cast<char>(0xFF)), 0);
        return static_cast<std::uint64_t>(_mm_cvtsi128_si64(product));
    }
};

}  // namespace

bool cpu_runs_avx2_kernel() {
    // Every CPU with AVX2 has the others too; asked all the same. The AVX2
    // test includes the operating system's saving of the wide registers.
    static const bool runs = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
                             __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("popcnt");
    return runs;
}

VELMORA_AVX2 char* classify_blocks_avx2(const char* data, unsigned count, json_structure::Carry& carry,
                                       json_structure::Block* blocks, char** outputs, char* out) {
    for (unsigned i = 0; i < count; ++i, data += json_scan::kBlockSize) {
        if (json_structure::continues_string(carry) && !has_string_stops(data)) {
            blocks[i] = json_structure::kStringInterior;
        } else {
            blocks[i] = json_structure::block_structure(classify(data), carry, PrefixXorByMultiplication{});
        }
        outputs[i] = out;
        out = put_kept(out, data, blocks[i].kept);
    }
    return out;
}

#else

bool cpu_runs_avx2_kernel() { return false; }

char* classify_blocks_avx2(const char* data, unsigned count, json_structure::Carry& carry,
                           json_structure::Block* blocks, char** outputs, char* out) {
    return json_structure::classify_blocks_portably(data, count, carry, blocks, outputs, out);
}

#endif

}  // namespace velmora::uvc_stereo::detail
