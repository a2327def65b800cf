// The JSON grammar written out plainly as a recursive descent, one byte at a
// time, sharing nothing with the shipped minifier but the grammar and the
// failure texts: the oracle of the differential tests and of the JSON fuzzer.
// Surrogate pairs are checked by remembering a pending high half rather than
// by looking ahead. Change it only to mend a fault that the shipped
// minifier shares.
#include "reference_json_minifier.hpp"

#include <cstddef>
#include <string>

namespace velmora::uvc_stereo::reference {
namespace {

constexpr int kEnd = -1;
// Containers may nest this deep; the 513th opener is where parsing stops.
constexpr std::size_t kNestingLimit = 512;

bool is_digit(int c) { return c >= '0' && c <= '9'; }

int hex_digit_value(int c) {
    if (is_digit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The parser stops where a rule fails; its position is the failure's offset.
class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    std::size_t position() const { return position_; }
    std::string& output() { return output_; }

    void skip_blanks() {
        while (peek() == ' ' || peek() == '\t' || peek() == '\n' || peek() == '\r') ++position_;
    }

    bool value(std::size_t depth) {
        switch (peek()) {
            case '{': return depth < kNestingLimit && object(depth + 1);
            case '[': return depth < kNestingLimit && array(depth + 1);
            case '"': return string();
            case 't': return word("true");
            case 'f': return word("false");
            case 'n': return word("null");
            default: return number();
        }
    }

private:
    int peek() const { return position_ < text_.size() ? static_cast<unsigned char>(text_[position_]) : kEnd; }

    void copy() { output_ += text_[position_++]; }

    bool copy_if(char expected) {
        if (peek() != static_cast<unsigned char>(expected)) return false;
        copy();
        return true;
    }

    bool word(const char* letters) {
        for (; *letters != '\0'; ++letters) {
            if (!copy_if(*letters)) return false;
        }
        return true;
    }

    bool digits() {
        if (!is_digit(peek())) return false;
        while (is_digit(peek())) copy();
        return true;
    }

    bool number() {
        copy_if('-');
        if (!copy_if('0') && !digits()) return false;
        if (copy_if('.') && !digits()) return false;
        if (copy_if('e') || copy_if('E')) {
            if (!copy_if('+')) copy_if('-');
            if (!digits()) return false;
        }
        return true;
    }

    // Four hexadecimal digits after "\u".
    bool code_unit(unsigned& unit) {
        unit = 0;
        for (int i = 0; i < 4; ++i) {
            const int digit = hex_digit_value(peek());
            if (digit < 0) return false;
            unit = unit * 16 + static_cast<unsigned>(digit);
            copy();
        }
        return true;
    }

    // After the backslash. `pending_high`: the escape before was a high
    // surrogate, so this one must be "\u" with a low one.
    bool escape(bool& pending_high) {
        const int letter = peek();
        if (pending_high && letter != 'u') return false;
        switch (letter) {
            case '"': case '\\': case '/': case 'b': case 'f': case 'n': case 'r': case 't': copy(); return true;
            case 'u': break;
            default: return false;
        }
        copy();
        unsigned unit = 0;
        if (!code_unit(unit)) return false;
        const bool high = unit >= 0xD800 && unit <= 0xDBFF;
        const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
        if (low != pending_high) return false;
        pending_high = high;
        return true;
    }

    bool string() {
        copy();  // the opening quote
        bool pending_high = false;
        for (;;) {
            const int c = peek();
            if (c == kEnd || c < 0x20) return false;
            if (pending_high && c != '\\') return false;
            copy();
            if (c == '"') return true;
            if (c == '\\' && !escape(pending_high)) return false;
        }
    }

    bool array(std::size_t depth) {
        copy();  // '['
        skip_blanks();
        if (copy_if(']')) return true;
        for (;;) {
            if (!value(depth)) return false;
            skip_blanks();
            if (copy_if(']')) return true;
            if (!copy_if(',')) return false;
            skip_blanks();
        }
    }

    bool object(std::size_t depth) {
        copy();  // '{'
        skip_blanks();
        if (copy_if('}')) return true;
        for (;;) {
            if (peek() != '"' || !string()) return false;
            skip_blanks();
            if (!copy_if(':')) return false;
            skip_blanks();
            if (!value(depth)) return false;
            skip_blanks();
            if (copy_if('}')) return true;
            if (!copy_if(',')) return false;
            skip_blanks();
        }
    }

    std::string_view text_;
    std::size_t position_ = 0;
    std::string output_;
};

Status failure(const std::string& what, std::size_t offset) {
    return Status(ErrorCode::InvalidJson, what + " at offset " + std::to_string(offset));
}

}  // namespace

Result<std::string> minify_and_validate_json(std::string_view text) {
    if (text.empty()) return Status(ErrorCode::InvalidJson, "json text is empty");
    Parser parser(text);
    parser.skip_blanks();
    if (!parser.value(0)) return failure("invalid JSON value", parser.position());
    parser.skip_blanks();
    if (parser.position() != text.size()) return failure("unexpected trailing characters", parser.position());
    return std::move(parser.output());
}

}  // namespace velmora::uvc_stereo::reference
