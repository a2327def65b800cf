// Where a JSON text goes wrong and what was expected there.
#include "input/json_diagnosis.hpp"

#include <cstdio>

namespace velmora::stereo_tool {
namespace {

constexpr std::size_t kMaxDepth = 512;  // the SDK's own limit
constexpr unsigned char kFirstPrintable = 0x20;
constexpr std::size_t kHexDigits = 4;
constexpr long kHighSurrogateFirst = 0xD800;
constexpr long kLowSurrogateFirst = 0xDC00;
constexpr long kSurrogateEnd = 0xE000;
constexpr std::size_t kTextSize = 32;

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A byte as it is best shown in a message: the character, or its code.
std::string shown(char c) {
    const auto byte = static_cast<unsigned char>(c);
    char text[kTextSize];
    if (byte < kFirstPrintable || byte >= 0x7F) {
        std::snprintf(text, sizeof text, "byte 0x%02X", static_cast<unsigned>(byte));
    } else {
        std::snprintf(text, sizeof text, "'%c'", c);
    }
    return text;
}

class Diagnoser {
public:
    explicit Diagnoser(std::string_view text) : text_(text) {}

    std::optional<JsonProblem> run() {
        if (text_.empty()) return JsonProblem{0, "the file is empty; expected a JSON value"};
        skip_blanks();
        if (!value(0)) return problem_;
        skip_blanks();
        if (at_ >= text_.size()) return std::nullopt;
        fail("unexpected " + shown(text_[at_]) + " after the end of the document");
        return problem_;
    }

private:
    // Records the first problem at the cursor and returns false.
    bool fail_at(std::size_t offset, std::string message) {
        problem_ = JsonProblem{offset, std::move(message)};
        return false;
    }
    bool fail(std::string message) { return fail_at(at_, std::move(message)); }
    bool fail_expecting(const std::string& expected) {
        if (at_ >= text_.size()) return fail("the text ends early; expected " + expected);
        return fail("expected " + expected + ", found " + shown(text_[at_]));
    }

    bool more() const { return at_ < text_.size(); }
    void skip_blanks() {
        while (more() && is_blank(text_[at_])) ++at_;
    }

    bool value(std::size_t depth) {
        if (!more()) return fail_expecting("a value");
        const char c = text_[at_];
        if (c == '"') return string();
        if (c == '{' || c == '[') {
            if (depth == kMaxDepth) return fail("the document nests deeper than 512 levels");
            return c == '{' ? object(depth + 1) : array(depth + 1);
        }
        if (c == 't') return literal("true");
        if (c == 'f') return literal("false");
        if (c == 'n') return literal("null");
        if (c == '-' || is_digit(c)) return number();
        if (c == '\'') return fail("strings need double quotes, not single ones");
        return fail_expecting("a value");
    }

    bool literal(std::string_view word) {
        const std::size_t start = at_;
        for (const char letter : word) {
            if (!more() || text_[at_] != letter) {
                return fail_at(start, "unknown word; expected '" + std::string(word) + "'");
            }
            ++at_;
        }
        return true;
    }

    bool digits(const char* after) {
        if (!more() || !is_digit(text_[at_])) return fail_expecting(std::string("a digit ") + after);
        while (more() && is_digit(text_[at_])) ++at_;
        return true;
    }

    bool number() {
        if (text_[at_] == '-') ++at_;
        if (more() && text_[at_] == '0') {
            ++at_;
        } else if (!digits("after '-'")) {
            return false;
        }
        if (more() && text_[at_] == '.') {
            ++at_;
            if (!digits("after the decimal point")) return false;
        }
        if (more() && (text_[at_] == 'e' || text_[at_] == 'E')) {
            ++at_;
            if (more() && (text_[at_] == '+' || text_[at_] == '-')) ++at_;
            if (!digits("in the exponent")) return false;
        }
        return true;
    }

    // The four hex digits after "\u" at the cursor; -1 (problem recorded) when they are not.
    long unicode_escape() {
        long unit = 0;
        for (std::size_t k = 0; k < kHexDigits; ++k) {
            if (!more() || hex_value(text_[at_]) < 0) {
                fail_expecting("four hexadecimal digits after \\u");
                return -1;
            }
            unit = unit * 16 + hex_value(text_[at_++]);
        }
        return unit;
    }

    bool escape(std::size_t backslash) {
        if (!more()) return fail_expecting("an escape letter after '\\'");
        const char letter = text_[at_++];
        if (letter != 'u') {
            if (std::string_view("\"\\/bfnrt").find(letter) != std::string_view::npos) return true;
            return fail_at(backslash, "unknown escape '\\" + std::string(1, letter) + "'");
        }
        const long unit = unicode_escape();
        if (unit < 0) return false;
        if (unit >= kLowSurrogateFirst && unit < kSurrogateEnd) {
            return fail_at(backslash, "a low surrogate escape without the high one before it");
        }
        if (unit < kHighSurrogateFirst || unit >= kLowSurrogateFirst) return true;
        if (at_ + 1 >= text_.size() || text_[at_] != '\\' || text_[at_ + 1] != 'u') {
            return fail_at(backslash, "a high surrogate escape must be followed by a low one (\\uDC00 to \\uDFFF)");
        }
        at_ += 2;
        const long low = unicode_escape();
        if (low < 0) return false;
        if (low < kLowSurrogateFirst || low >= kSurrogateEnd) {
            return fail_at(backslash, "a high surrogate escape must be followed by a low one (\\uDC00 to \\uDFFF)");
        }
        return true;
    }

    bool string() {
        const std::size_t start = at_++;
        while (more()) {
            const char c = text_[at_];
            if (c == '"') {
                ++at_;
                return true;
            }
            if (static_cast<unsigned char>(c) < kFirstPrintable) {
                return fail("control character " + shown(c) + " in a string; write it as an escape such as \\n or \\t");
            }
            const std::size_t backslash = at_++;
            if (c == '\\' && !escape(backslash)) return false;
        }
        return fail_at(start, "the string that starts here is never closed");
    }

    // After a member or an element: the separator or the closer.
    bool separator(char closer, bool& done) {
        skip_blanks();
        if (more() && text_[at_] == closer) {
            ++at_;
            done = true;
            return true;
        }
        if (more() && text_[at_] == ',') {
            ++at_;
            skip_blanks();
            if (more() && text_[at_] == closer) return fail("a trailing comma before '" + std::string(1, closer) + "'");
            return true;
        }
        return fail_expecting(std::string("',' or '") + closer + "'");
    }

    bool array(std::size_t depth) {
        ++at_;
        skip_blanks();
        if (more() && text_[at_] == ']') {
            ++at_;
            return true;
        }
        for (bool done = false; !done;) {
            if (!value(depth) || !separator(']', done)) return false;
        }
        return true;
    }

    bool object(std::size_t depth) {
        ++at_;
        skip_blanks();
        if (more() && text_[at_] == '}') {
            ++at_;
            return true;
        }
        for (bool done = false; !done;) {
            if (!more() || text_[at_] != '"') return fail_expecting("a key in double quotes");
            if (!string()) return false;
            skip_blanks();
            if (!more() || text_[at_] != ':') return fail_expecting("':' after the key");
            ++at_;
            skip_blanks();
            if (!value(depth) || !separator('}', done)) return false;
        }
        return true;
    }

    std::string_view text_;
    std::size_t at_ = 0;
    JsonProblem problem_;
};

}  // namespace

std::optional<JsonProblem> diagnose_json(std::string_view text) { return Diagnoser(text).run(); }

}  // namespace velmora::stereo_tool
