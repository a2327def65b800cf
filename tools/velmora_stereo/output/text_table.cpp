// Plain-text tables with aligned columns, for the human-readable outputs.
#include "output/text_table.hpp"

#include <algorithm>
#include <ostream>

namespace velmora::stereo_tool {
namespace {

constexpr const char* kColumnGap = "  ";
constexpr unsigned char kUtf8ContinuationMask = 0xC0;
constexpr unsigned char kUtf8ContinuationBits = 0x80;

std::string pad(const std::string& text, std::size_t width, Align align) {
    const std::size_t used = display_width(text);
    const std::string fill(width > used ? width - used : 0, ' ');
    return align == Align::Left ? text + fill : fill + text;
}

void print_line(const std::vector<std::string>& cells, const std::vector<TableColumn>& columns,
                const std::vector<std::size_t>& widths, std::ostream& out) {
    std::string line;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (i != 0) line += kColumnGap;
        line += pad(cells[i], widths[i], columns[i].align);
    }
    line.erase(line.find_last_not_of(' ') + 1);
    out << line << '\n';
}

}  // namespace

std::size_t display_width(const std::string& text) {
    std::size_t width = 0;
    for (const char c : text) {
        if ((static_cast<unsigned char>(c) & kUtf8ContinuationMask) != kUtf8ContinuationBits) ++width;
    }
    return width;
}

TextTable::TextTable(std::vector<TableColumn> columns) : columns_(std::move(columns)) {}

void TextTable::add_row(std::vector<std::string> cells) {
    cells.resize(columns_.size());
    rows_.push_back(std::move(cells));
}

void TextTable::print(std::ostream& out) const {
    std::vector<std::size_t> widths;
    std::vector<std::string> headings;
    std::vector<std::string> rules;
    for (const auto& column : columns_) {
        widths.push_back(display_width(column.heading));
        headings.push_back(column.heading);
    }
    for (const auto& row : rows_) {
        for (std::size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], display_width(row[i]));
    }
    for (const std::size_t width : widths) rules.emplace_back(width, '-');
    print_line(headings, columns_, widths, out);
    print_line(rules, columns_, widths, out);
    for (const auto& row : rows_) print_line(row, columns_, widths, out);
}

void print_key_values(const std::vector<KeyValue>& lines, std::ostream& out, std::size_t indent) {
    std::size_t width = 0;
    for (const auto& line : lines) width = std::max(width, display_width(line.key));
    const std::string margin(indent, ' ');
    for (const auto& line : lines) {
        out << margin << line.key << ':' << std::string(width - display_width(line.key) + 1, ' ') << line.value
            << '\n';
    }
}

}  // namespace velmora::stereo_tool
