// Plain-text tables with aligned columns, for the human-readable outputs.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace velmora::stereo_tool {

enum class Align { Left, Right };

struct TableColumn {
    std::string heading;
    Align align = Align::Left;
};

class TextTable {
public:
    explicit TextTable(std::vector<TableColumn> columns);

    // A row with fewer cells than columns is padded with empty cells; extra
    // cells are an error of the caller and are dropped.
    void add_row(std::vector<std::string> cells);
    // Columns separated by two spaces, a dashed line under the headings, no
    // trailing blanks.
    void print(std::ostream& out) const;

private:
    std::vector<TableColumn> columns_;
    std::vector<std::vector<std::string>> rows_;
};

// Width of UTF-8 text in characters (code points), for alignment.
std::size_t display_width(const std::string& text);

// "key: value" lines with the values aligned after the longest key.
struct KeyValue {
    std::string key;
    std::string value;
};
void print_key_values(const std::vector<KeyValue>& lines, std::ostream& out, std::size_t indent = 0);

}  // namespace velmora::stereo_tool
