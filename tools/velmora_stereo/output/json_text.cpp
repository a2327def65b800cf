// Indenting the (already validated) document read from a camera.
#include "output/json_text.hpp"

#include <cstdio>

namespace velmora::stereo_tool {
namespace {

constexpr std::size_t kIndentWidth = 2;

bool is_json_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Index of the first character after position i that is not blank.
std::size_t next_significant(std::string_view json, std::size_t i) {
    while (i < json.size() && is_json_blank(json[i])) ++i;
    return i;
}

class PrettyPrinter {
public:
    explicit PrettyPrinter(std::string_view json) : json_(json) {}

    std::string run() {
        for (std::size_t i = 0; i < json_.size(); ++i) i = step(i);
        return std::move(out_);
    }

private:
    // Handles the character at i and returns the index of the last one consumed.
    std::size_t step(std::size_t i) {
        const char c = json_[i];
        if (c == '"') return copy_string(i);
        if (is_json_blank(c)) return i;
        if (c == '{' || c == '[') return open(i);
        if (c == '}' || c == ']') {
            if (depth_ > 0) --depth_;  // unbalanced input must not wrap the indent
            new_line();
            out_ += c;
        } else if (c == ',') {
            out_ += c;
            new_line();
        } else if (c == ':') {
            out_ += ": ";
        } else {
            out_ += c;
        }
        return i;
    }

    std::size_t open(std::size_t i) {
        const char close = json_[i] == '{' ? '}' : ']';
        const std::size_t next = next_significant(json_, i + 1);
        out_ += json_[i];
        if (next < json_.size() && json_[next] == close) {
            out_ += close;
            return next;
        }
        ++depth_;
        new_line();
        return i;
    }

    std::size_t copy_string(std::size_t i) {
        out_ += json_[i];
        for (++i; i < json_.size(); ++i) {
            out_ += json_[i];
            if (json_[i] == '\\' && i + 1 < json_.size()) {
                out_ += json_[++i];
            } else if (json_[i] == '"') {
                break;
            }
        }
        return i;
    }

    void new_line() {
        out_ += '\n';
        out_.append(depth_ * kIndentWidth, ' ');
    }

    std::string_view json_;
    std::string out_;
    std::size_t depth_ = 0;
};

}  // namespace

std::string pretty_print_json(std::string_view json) { return PrettyPrinter(json).run(); }

}  // namespace velmora::stereo_tool
