// The JSON minifier's exact parser: checks the text against the JSON grammar
// byte by byte where it must, and copies it without whitespace outside
// strings.
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
#include "formats/json_exact.hpp"

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "formats/compiler_hints.hpp"
#include "formats/json_input.hpp"
#include "formats/json_number.hpp"
#include "formats/json_scan.hpp"
#include "formats/json_tokens.hpp"

namespace velmora::uvc_stereo::detail {
namespace {

namespace scan = json_scan;

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

// The cursor only moves forward; after a failure it marks where parsing
// stopped, which is the offset reported to the caller.
class JsonMinifier {
public:
    // `tail` holds JsonInput::kTailSize bytes, `closers` kMaxJsonDepth bytes.
    JsonMinifier(std::string_view text, char* tail, JsonOutput& output, char* closers)
        : input_(text.data(), text.size(), tail), output_(output), closers_(closers) {}

    // Minifies from `from` to the end; `stop` is the offset where parsing
    // stopped.
    JsonOutcome run(const JsonResumePoint& from, char* out, std::size_t& stop);

private:
    VELMORA_FORCE_INLINE std::size_t offset(const Cursor& c) const { return input_.offset() + c.index; }
    VELMORA_FORCE_INLINE const char* in_input(const Cursor& c) const { return input_.begin() + offset(c); }
    VELMORA_FORCE_INLINE void advance(Cursor& c);
    VELMORA_FORCE_INLINE void move_to(Cursor& c, std::size_t offset);
    VELMORA_FORCE_INLINE void skip_whitespace(Cursor& c);
    VELMORA_FORCE_INLINE void skip_whitespace_after_colon(Cursor& c);
    VELMORA_FORCE_INLINE void enter_token(Cursor& c);
    VELMORA_FORCE_INLINE bool parse_value_tree(Cursor& c, const JsonResumePoint& from);
    VELMORA_FORCE_INLINE bool parse_string(Cursor& c);
    VELMORA_FORCE_INLINE bool parse_string_by_bytes(Cursor& c);
    bool parse_rest_of_string(Cursor& c);
    VELMORA_FORCE_INLINE bool parse_number(Cursor& c);
    VELMORA_FORCE_INLINE bool parse_number_by_bytes(Cursor& c);
    template <std::size_t N>
    VELMORA_FORCE_INLINE bool parse_literal(Cursor& c, const char (&literal)[N]);

    JsonInput input_;
    JsonOutput& output_;
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
    const unsigned length = plain_number_length(start);
    if (VELMORA_UNLIKELY(length == 0)) return parse_number_by_bytes(c);
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

// A string the structural pass checked and wrote up to the cursor: only the
// rest is scanned.
bool JsonMinifier::parse_rest_of_string(Cursor& c) {
    const char* start = in_input(c);
    bool ok = false;
    const char* stop = detail::scan_string_from(start, input_.end(), ok);
    if (ok) c.out = output_.put_run(c.out, start, static_cast<std::size_t>(stop - start), input_.end());
    move_to(c, static_cast<std::size_t>(stop - input_.begin()));
    return ok;
}

// Parses from `from` to the end of the top-level value. The byte that closes
// the innermost open container is kept in `closer`, those of the containers
// around it in closers_; ']' and '}' are two above '[' and '{'.
bool JsonMinifier::parse_value_tree(Cursor& c, const JsonResumePoint& from) {
    std::size_t depth = from.depth;
    char closer = from.closer;
    char* const closers = closers_;
    switch (from.state) {
        case JsonState::value: goto value;
        case JsonState::array_start:
        case JsonState::object_start: goto container_start;
        case JsonState::key: goto key;
        case JsonState::colon: goto colon;
        case JsonState::after_value: goto after_value;
        case JsonState::in_value_string:
            if (!parse_rest_of_string(c)) return false;
            goto after_value;
        case JsonState::in_key_string:
            if (!parse_rest_of_string(c)) return false;
            skip_whitespace(c);
            goto colon;
    }
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
            goto container_start;
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
container_start:  // just after the opener of the container `closer` closes
    skip_whitespace(c);
    if (c.block.data[c.index] != closer) {
        if (closer == '}') goto key;
        goto value;
    }
    *c.out++ = closer;
    ++c.index;
    closer = closers[--depth];
    goto after_value;
key:
    enter_token(c);
    if (c.block.data[c.index] != '"' || !parse_string(c)) return false;
    skip_whitespace(c);
colon:
    if (c.block.data[c.index] != ':') return false;
    *c.out++ = ':';
    ++c.index;
    skip_whitespace_after_colon(c);
    goto value;
}

JsonOutcome JsonMinifier::run(const JsonResumePoint& from, char* out, std::size_t& stop) {
    // The structural pass may hand over with its output near the chunk's end.
    Cursor c{input_.block_at(from.position), 0, output_.make_room(out)};
    if (!is_inside_string(from.state)) skip_whitespace(c);  // at the start of the text; a no-op on a token
    const bool parsed = parse_value_tree(c, from);
    if (parsed) skip_whitespace(c);
    stop = offset(c);
    if (!parsed) return JsonOutcome::invalid_value;
    if (stop != input_.size()) return JsonOutcome::trailing_characters;
    output_.finish(c.out);
    return JsonOutcome::minified;
}

}  // namespace

JsonOutcome minify_exactly(std::string_view text, const JsonResumePoint& from, JsonOutput& output, char* out,
                           char* closers, std::size_t& stop) {
    char tail[JsonInput::kTailSize];
    JsonMinifier minifier(text, tail, output, closers);
    return minifier.run(from, out, stop);
}

}  // namespace velmora::uvc_stereo::detail
