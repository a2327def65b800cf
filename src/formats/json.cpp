// One-pass JSON validator and minifier: checks the text against the JSON
// grammar and copies it without whitespace outside strings.
//
// Each 64-byte block is classified into a whitespace bit mask once, when the
// cursor first needs it (json_input.hpp): skipping a run of whitespace is
// then a shift and a count of trailing zeros, with no branch on the bytes
// skipped. Plain numbers and short strings are checked 16 bytes at a time
// where they start, without branching on their bytes; anything unusual (an
// exponent, an escape, a string longer than 16 bytes) goes to byte-by-byte
// scanners (json_tokens.hpp). Containers are tracked on a small stack
// instead of by recursion.
//
// The parsing loop keeps its whole state in a Cursor that never leaves this
// file's inlined functions, so the compiler can hold it in registers; block
// changes and output flushes happen out of line.
//
// Near the end of the input, blocks come from a copy padded with zero bytes.
// A zero byte is wrong at every place the grammar can reach, so the end of
// the input stops parsing exactly where a NUL byte would; only the top level
// asks whether the cursor is at the end.
#include "velmora/uvc_stereo/json.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "formats/compiler_hints.hpp"
#include "formats/json_input.hpp"
#include "formats/json_output.hpp"
#include "formats/json_scan.hpp"
#include "formats/json_tokens.hpp"

namespace velmora::uvc_stereo {
namespace {

namespace scan = detail::json_scan;
using detail::JsonBlock;
using detail::JsonInput;
using detail::JsonOutput;

// Containers may nest this deep. The parser keeps one byte per open
// container, so the bound no longer protects the stack; it stays because
// callers may rely on documents nested deeper than this being refused.
constexpr std::size_t kMaxJsonDepth = 512;

constexpr std::size_t kOffsetMessageBufferSize = 96;
constexpr std::size_t kBlock = JsonInput::kBlockSize;
constexpr std::size_t kSpan = scan::kSpanSize;

// The parsing loop's state. The cursor is moved to the next block only where
// the block's mask is needed (skipping a run of whitespace) and at the start
// of each value and key; in between it runs at most a token and two
// structural bytes past the block, which JsonInput::kReadable allows for.
struct Cursor {
    JsonBlock block;
    std::size_t index;  // from block.data
    char* out;          // where the next output byte goes
};

enum class Outcome { minified, invalid_value, trailing_characters };

// What the first byte of a value announces. The parser dispatches on this
// table rather than on the byte, so that the jump needs no range checks.
enum ValueKind : std::uint8_t { kNotAValue, kNumber, kString, kContainer, kTrue, kFalse, kNull };

constexpr struct ValueKinds {
    ValueKind of[256];
    constexpr ValueKinds() : of() {
        for (int c = '0'; c <= '9'; ++c) of[c] = kNumber;
        of[static_cast<unsigned char>('-')] = kNumber;
        of[static_cast<unsigned char>('"')] = kString;
        of[static_cast<unsigned char>('[')] = kContainer;
        of[static_cast<unsigned char>('{')] = kContainer;
        of[static_cast<unsigned char>('t')] = kTrue;
        of[static_cast<unsigned char>('f')] = kFalse;
        of[static_cast<unsigned char>('n')] = kNull;
    }
} kValueKinds;

// True when the `length` bytes (1 to 15) at `number`, a '-' if `minus` is
// 1 and then digits, dots and exponent letters, are exactly an integer or a
// decimal fraction: the forms calibration values take. Checked without
// branches, because signs and leading digits are as good as random; anything
// else (an exponent, two dots, a misplaced dot, a leading zero before a
// digit) goes to the byte-by-byte scanner.
VELMORA_FORCE_INLINE bool is_plain_number(const char* number, unsigned length, unsigned minus,
                                          scan::NumberMasks masks) {
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

// The cursor only moves forward; after a failure it marks where parsing
// stopped, which is the offset reported to the caller.
class JsonMinifier {
public:
    // `tail` holds JsonInput::kTailSize bytes, `chunk` is JsonOutput's,
    // `closers` holds kMaxJsonDepth bytes.
    JsonMinifier(std::string_view text, char* tail, std::string& result, char* chunk, char* closers)
        : input_(text.data(), text.size(), tail), output_(result, chunk), closers_(closers) {}

    // Minifies the whole text; `stop` is the offset where parsing stopped.
    Outcome run(std::size_t& stop);

private:
    VELMORA_FORCE_INLINE std::size_t offset(const Cursor& c) const { return input_.offset() + c.index; }
    VELMORA_FORCE_INLINE const char* in_input(const Cursor& c) const { return input_.begin() + offset(c); }
    VELMORA_FORCE_INLINE void advance(Cursor& c);
    VELMORA_FORCE_INLINE void move_to(Cursor& c, std::size_t offset);
    VELMORA_FORCE_INLINE void skip_whitespace(Cursor& c);
    VELMORA_FORCE_INLINE void skip_whitespace_after_colon(Cursor& c);
    VELMORA_FORCE_INLINE void enter_token(Cursor& c);
    VELMORA_FORCE_INLINE bool parse_value_tree(Cursor& c);
    VELMORA_FORCE_INLINE bool parse_string(Cursor& c);
    VELMORA_FORCE_INLINE bool parse_string_by_bytes(Cursor& c);
    VELMORA_FORCE_INLINE bool parse_number(Cursor& c);
    VELMORA_FORCE_INLINE bool parse_number_by_bytes(Cursor& c);
    template <std::size_t N>
    VELMORA_FORCE_INLINE bool parse_literal(Cursor& c, const char (&literal)[N]);

    JsonInput input_;
    JsonOutput output_;
    char* closers_;
};

// Moves on to the next block, once the cursor has left this one.
void JsonMinifier::advance(Cursor& c) {
    c.index -= kBlock;
    c.block = input_.next_block();
    c.out = output_.make_room(c.out);
}

// Puts the cursor on `offset`, which lies ahead of it, moving the block only
// when the offset is past it.
void JsonMinifier::move_to(Cursor& c, std::size_t offset) {
    if (offset - input_.offset() < kBlock) {
        c.index = offset - input_.offset();
        return;
    }
    c.block = input_.block_at(offset);
    c.index = 0;
    c.out = output_.make_room(c.out);
}

// Leaves the cursor on the next byte that is not whitespace. Most places
// have none, which costs one compare; a run is skipped through the mask.
void JsonMinifier::skip_whitespace(Cursor& c) {
    if (static_cast<unsigned char>(c.block.data[c.index]) > ' ') return;
    for (;;) {
        if (c.index >= kBlock) advance(c);
        const std::uint64_t others = c.block.not_whitespace >> c.index;
        if (others != 0) {
            c.index += scan::lowest_set_bit(others);
            return;
        }
        c.index = kBlock;  // whitespace to the end of the block
    }
}

// The same after a colon, where a lone space is usual and is stepped over
// without the mask.
void JsonMinifier::skip_whitespace_after_colon(Cursor& c) {
    if (c.block.data[c.index] == ' ' && static_cast<unsigned char>(c.block.data[c.index + 1]) > ' ') {
        ++c.index;
        return;
    }
    skip_whitespace(c);
}

// Called where a value or key starts, so that it has its lookahead, and
// after each value.
void JsonMinifier::enter_token(Cursor& c) {
    if (VELMORA_UNLIKELY(c.index >= kBlock)) advance(c);
}

template <std::size_t N>
bool JsonMinifier::parse_literal(Cursor& c, const char (&literal)[N]) {
    constexpr std::size_t length = N - 1;
    const char* start = c.block.data + c.index;
    std::uint32_t head = 0, expected = 0;  // the first four letters: "true", "fals", "null"
    std::memcpy(&head, start, sizeof head);
    std::memcpy(&expected, literal, sizeof expected);
    if (head == expected && (length == sizeof head || start[length - 1] == literal[length - 1])) {
        c.out = JsonOutput::put_short(c.out, start, length);
        c.index += length;
        return true;
    }
    for (const char* letter = literal; c.block.data[c.index] == *letter; ++letter) ++c.index;
    return false;
}

// A number runs over its sign, then digits, dots and exponent letters; when
// those bytes are a plain number, the grammar ends it there too (a sign
// after it can only start something else). A number that is not plain, or
// does not end within 16 bytes, is parsed by bytes.
bool JsonMinifier::parse_number(Cursor& c) {
    const char* start = c.block.data + c.index;
    const scan::NumberMasks masks = scan::active::classify_number(start);
    const unsigned minus = *start == '-';
    const unsigned length = scan::lowest_set_bit(~(masks.number_bytes | minus));  // 16 when all number
    if (VELMORA_UNLIKELY(length >= kSpan || !is_plain_number(start, length, minus, masks))) {
        return parse_number_by_bytes(c);
    }
    c.out = JsonOutput::put_short(c.out, start, length);
    c.index += length;
    return true;
}

bool JsonMinifier::parse_number_by_bytes(Cursor& c) {
    const char* start = in_input(c);
    bool ok = false;
    const char* stop = detail::scan_number(start, input_.end(), ok);
    if (ok) c.out = output_.put_run(c.out, start, static_cast<std::size_t>(stop - start), input_.end());
    move_to(c, static_cast<std::size_t>(stop - input_.begin()));
    return ok;
}

// A string whose closing quote is the first quote, backslash or control byte
// of the 16 bytes after the opening one is copied at once.
bool JsonMinifier::parse_string(Cursor& c) {
    const char* start = c.block.data + c.index;
    const unsigned length = scan::lowest_set_bit(scan::active::string_stops(start + 1) | (1u << kSpan)) + 2;
    if (VELMORA_UNLIKELY(start[length - 1] != '"')) return parse_string_by_bytes(c);
    c.out = JsonOutput::put(c.out, start, length);
    c.index += length;
    return true;
}

bool JsonMinifier::parse_string_by_bytes(Cursor& c) {
    const char* start = in_input(c);
    bool ok = false;
    const char* stop = detail::scan_string(start, input_.end(), ok);
    if (ok) c.out = output_.put_run(c.out, start, static_cast<std::size_t>(stop - start), input_.end());
    move_to(c, static_cast<std::size_t>(stop - input_.begin()));
    return ok;
}

// Parses one value, with whitespace already skipped. The byte that closes the
// innermost open container is kept in `closer`, those of the containers
// around it in closers_; ']' and '}' are two above '[' and '{'.
bool JsonMinifier::parse_value_tree(Cursor& c) {
    std::size_t depth = 0;
    char closer = 0;
    char* const closers = closers_;
value:
    enter_token(c);
    // Tested in the order of their frequency in calibration documents; plain
    // conditional branches predict better here than one indirect jump.
    {
        const ValueKind kind = kValueKinds.of[static_cast<unsigned char>(c.block.data[c.index])];
        if (kind == kNumber) {
            if (!parse_number(c)) return false;
            // The elements of an array of numbers follow each other without the
            // general dispatch: the bulk of a calibration document.
            while (closer == ']' && c.block.data[c.index] == ',') {
                *c.out++ = ',';
                ++c.index;
                skip_whitespace(c);
                enter_token(c);
                const unsigned char next = static_cast<unsigned char>(c.block.data[c.index]);
                if (next != '-' && static_cast<unsigned char>(next - '0') > 9) goto value;
                if (!parse_number(c)) return false;
            }
        } else if (kind == kString) {
            if (!parse_string(c)) return false;
        } else if (kind == kContainer) {
            if (depth == kMaxJsonDepth) return false;
            const char opener = c.block.data[c.index];
            closers[depth++] = closer;
            closer = static_cast<char>(opener + 2);
            *c.out++ = opener;
            ++c.index;
            skip_whitespace(c);
            if (c.block.data[c.index] != closer) {
                if (opener == '{') goto key;
                goto value;
            }
            *c.out++ = closer;
            ++c.index;
            closer = closers[--depth];
        } else if (kind == kTrue) {
            if (!parse_literal(c, "true")) return false;
        } else if (kind == kFalse) {
            if (!parse_literal(c, "false")) return false;
        } else if (kind == kNull) {
            if (!parse_literal(c, "null")) return false;
        } else {
            return false;
        }
    }
after_value:
    if (depth == 0) return true;
    enter_token(c);  // a run of closers moves on without whitespace between them
    skip_whitespace(c);
    if (c.block.data[c.index] == ',') {
        *c.out++ = ',';
        ++c.index;
        skip_whitespace(c);
        if (closer == '}') goto key;
        goto value;
    }
    if (c.block.data[c.index] != closer) return false;
    *c.out++ = closer;
    ++c.index;
    closer = closers[--depth];
    goto after_value;
key:
    enter_token(c);
    if (c.block.data[c.index] != '"' || !parse_string(c)) return false;
    skip_whitespace(c);
    if (c.block.data[c.index] != ':') return false;
    *c.out++ = ':';
    ++c.index;
    skip_whitespace_after_colon(c);
    goto value;
}

Outcome JsonMinifier::run(std::size_t& stop) {
    Cursor c{input_.block_at(0), 0, output_.start()};
    skip_whitespace(c);
    const bool parsed = parse_value_tree(c);
    if (parsed) skip_whitespace(c);
    stop = offset(c);
    if (!parsed) return Outcome::invalid_value;
    if (stop != input_.size()) return Outcome::trailing_characters;
    output_.finish(c.out);
    return Outcome::minified;
}

Status json_failure(const char* what, std::size_t offset) {
    char buffer[kOffsetMessageBufferSize];
    std::snprintf(buffer, sizeof(buffer), "%s at offset %llu", what, static_cast<unsigned long long>(offset));
    return Status(ErrorCode::InvalidJson, buffer);
}

}  // namespace

Result<std::string> minify_and_validate_json(std::string_view text) {
    if (text.empty()) return Status(ErrorCode::InvalidJson, "json text is empty");

    std::string minified;
    minified.reserve(text.size());  // the only allocation: the text never grows
    char chunk[JsonOutput::kChunkSize + JsonOutput::kChunkSlack];
    char tail[JsonInput::kTailSize];
    char closers[kMaxJsonDepth];
    JsonMinifier minifier(text, tail, minified, chunk, closers);
    std::size_t stop = 0;
    switch (minifier.run(stop)) {
        case Outcome::invalid_value: return json_failure("invalid JSON value", stop);
        case Outcome::trailing_characters: return json_failure("unexpected trailing characters", stop);
        case Outcome::minified: break;
    }
    return minified;
}

}  // namespace velmora::uvc_stereo
