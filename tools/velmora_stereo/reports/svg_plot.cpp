// Small SVG charts drawn as text: line charts and histograms with axes, ticks and a legend.
#include "reports/svg_plot.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace velmora::stereo_tool {
namespace {

constexpr double kMarginLeft = 76;
constexpr double kMarginRight = 150;
constexpr double kMarginTop = 30;
constexpr double kMarginBottom = 46;
constexpr std::size_t kTickCount = 6;
constexpr double kLegendLine = 22;
constexpr double kLegendRowHeight = 18;
constexpr double kTickLength = 5;
constexpr double kTitleBaseline = 18;
constexpr double kTickLabelBelow = 18;   // x tick labels, below the plot area
constexpr double kTickLabelGap = 8;      // y tick labels, left of the plot area
constexpr double kTextRaise = 4;         // half a text height, to centre labels on their line
constexpr double kAxisTitleInset = 16;   // the y axis title, from the left edge
constexpr double kAxisTitleAbove = 8;    // the x axis title, from the bottom edge
constexpr double kLegendLeftGap = 14;
constexpr double kLegendTextGap = 6;
constexpr double kLegendTop = 10;
constexpr double kEmptySpanFraction = 0.1;
constexpr std::size_t kTextSize = 64;
constexpr int kMaxDecimals = 6;
constexpr double kTickTolerance = 1e-9;
// Room above and below the data of a line chart, so a flat line at a round
// value does not run along the frame.
constexpr double kValuePadding = 0.04;

// Maps a value range onto a pixel range (either may run backwards).
struct Scale {
    double low;
    double high;
    double pixel_low;
    double pixel_high;

    double operator()(double value) const {
        return pixel_low + (value - low) / (high - low) * (pixel_high - pixel_low);
    }
};

std::string number(double value, const char* format = "%.1f") {
    char text[kTextSize];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// A tick label with as many decimals as the tick step needs.
std::string tick_label(double value, double step) {
    const int decimals = std::clamp(static_cast<int>(-std::floor(std::log10(step))), 0, kMaxDecimals);
    char text[kTextSize];
    std::snprintf(text, sizeof text, "%.*f", decimals, std::abs(value) < step * kTickTolerance ? 0.0 : value);
    return text;
}

std::string svg_open(const ChartFrame& frame) {
    const std::string w = std::to_string(frame.width);
    const std::string h = std::to_string(frame.height);
    // As wide as the page, the height following from the view box's proportions.
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"chart\" role=\"img\" width=\"100%\" viewBox=\"0 0 " + w +
           " " + h + "\" preserveAspectRatio=\"xMinYMin meet\" aria-label=\"" + xml_escape(frame.title) + "\">\n" +
           "<text class=\"title\" x=\"" + number(kMarginLeft) + "\" y=\"" + number(kTitleBaseline) + "\">" + xml_escape(frame.title) + "</text>\n";
}

std::string text_at(double x, double y, const std::string& text, const char* anchor, const std::string& extra = {}) {
    return "<text x=\"" + number(x) + "\" y=\"" + number(y) + "\" text-anchor=\"" + anchor + "\"" + extra + ">" +
           xml_escape(text) + "</text>\n";
}

std::string line(double x1, double y1, double x2, double y2, const char* css_class) {
    return "<line class=\"" + std::string(css_class) + "\" x1=\"" + number(x1) + "\" y1=\"" + number(y1) +
           "\" x2=\"" + number(x2) + "\" y2=\"" + number(y2) + "\"/>\n";
}

// The plot area, grid lines, tick labels and axis labels; returns the scales.
std::string axes(const ChartFrame& frame, const std::vector<double>& x_ticks, const std::vector<double>& y_ticks,
                 Scale& x, Scale& y) {
    const double left = kMarginLeft;
    const double right = frame.width - kMarginRight;
    const double top = kMarginTop;
    const double bottom = frame.height - kMarginBottom;
    x = Scale{x_ticks.front(), x_ticks.back(), left, right};
    y = Scale{y_ticks.front(), y_ticks.back(), bottom, top};
    std::string svg = "<rect class=\"plot-area\" x=\"" + number(left) + "\" y=\"" + number(top) + "\" width=\"" +
                      number(right - left) + "\" height=\"" + number(bottom - top) + "\"/>\n";
    const double x_step = x_ticks.size() > 1 ? x_ticks[1] - x_ticks[0] : 1.0;
    const double y_step = y_ticks.size() > 1 ? y_ticks[1] - y_ticks[0] : 1.0;
    for (const double tick : x_ticks) {
        svg += line(x(tick), top, x(tick), bottom + kTickLength, "grid");
        svg += text_at(x(tick), bottom + kTickLabelBelow, tick_label(tick, x_step), "middle");
    }
    for (const double tick : y_ticks) {
        svg += line(left - kTickLength, y(tick), right, y(tick), "grid");
        svg += text_at(left - kTickLabelGap, y(tick) + kTextRaise, tick_label(tick, y_step), "end");
    }
    svg += text_at((left + right) / 2, frame.height - kAxisTitleAbove, frame.x_label, "middle");
    const double middle = (top + bottom) / 2;
    svg += text_at(kAxisTitleInset, middle, frame.y_label, "middle",
                   " transform=\"rotate(-90 " + number(kAxisTitleInset) + " " + number(middle) + ")\"");
    return svg;
}

// Lowest and highest finite value of all series along one coordinate.
void finite_range(const std::vector<PlotSeries>& series, std::vector<double> PlotSeries::*values, double& low,
                  double& high) {
    low = std::numeric_limits<double>::infinity();
    high = -low;
    for (const auto& one : series) {
        for (const double value : one.*values) {
            if (!std::isfinite(value)) continue;
            low = std::min(low, value);
            high = std::max(high, value);
        }
    }
    if (low > high) low = high = 0.0;
}

std::string polyline(const PlotSeries& series, const Scale& x, const Scale& y) {
    std::string points;
    points.reserve(series.x.size() * 14);
    for (std::size_t i = 0; i < series.x.size() && i < series.y.size(); ++i) {
        if (!std::isfinite(series.x[i]) || !std::isfinite(series.y[i])) continue;
        if (!points.empty()) points += ' ';
        points += number(x(series.x[i])) + "," + number(y(series.y[i]));
    }
    return "<polyline class=\"series\" data-series=\"" + xml_escape(series.key) + "\" stroke=\"" +
           xml_escape(series.color) + "\" points=\"" + points + "\"/>\n";
}

std::string legend(const ChartFrame& frame, const std::vector<PlotSeries>& series) {
    std::string svg;
    const double left = frame.width - kMarginRight + kLegendLeftGap;
    for (std::size_t i = 0; i < series.size(); ++i) {
        const double row = kMarginTop + kLegendTop + static_cast<double>(i) * kLegendRowHeight;
        svg += "<line class=\"legend\" stroke=\"" + xml_escape(series[i].color) + "\" x1=\"" + number(left) +
               "\" y1=\"" + number(row) + "\" x2=\"" + number(left + kLegendLine) + "\" y2=\"" + number(row) + "\"/>\n";
        svg += text_at(left + kLegendLine + kLegendTextGap, row + kTextRaise, series[i].label, "start");
    }
    return svg;
}

}  // namespace

std::string xml_escape(const std::string& text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&': escaped += "&amp;"; break;
            case '<': escaped += "&lt;"; break;
            case '>': escaped += "&gt;"; break;
            case '"': escaped += "&quot;"; break;
            default: escaped += c;
        }
    }
    return escaped;
}

std::vector<double> nice_ticks(double low, double high, std::size_t count) {
    if (!std::isfinite(low) || !std::isfinite(high)) low = high = 0.0;
    if (high < low) std::swap(low, high);
    if (high == low) {
        const double span = std::max(std::abs(low), 1.0) * kEmptySpanFraction;
        low -= span;
        high += span;
    }
    const double rough = (high - low) / static_cast<double>(std::max<std::size_t>(count, 2) - 1);
    const double magnitude = std::pow(10.0, std::floor(std::log10(rough)));
    const double fraction = rough / magnitude;
    const double step = magnitude * (fraction <= 1 ? 1 : fraction <= 2 ? 2 : fraction <= 5 ? 5 : 10);
    const double first = std::floor(low / step + kTickTolerance) * step;
    const double last = std::ceil(high / step - kTickTolerance) * step;
    std::vector<double> ticks;
    for (std::size_t i = 0; first + static_cast<double>(i) * step <= last + step * kTickTolerance; ++i) {
        ticks.push_back(first + static_cast<double>(i) * step);
    }
    return ticks;
}

PlotSeries decimate_series(const PlotSeries& series, std::size_t max_points) {
    const std::size_t n = std::min(series.x.size(), series.y.size());
    if (n <= max_points || max_points < 2) return series;
    PlotSeries reduced{series.key, series.label, series.color, {}, {}};
    const std::size_t slices = max_points / 2;
    for (std::size_t slice = 0; slice < slices; ++slice) {
        const std::size_t begin = slice * n / slices;
        const std::size_t end = (slice + 1) * n / slices;
        std::size_t lowest = begin;
        std::size_t highest = begin;
        for (std::size_t i = begin; i < end; ++i) {
            if (series.y[i] < series.y[lowest]) lowest = i;
            if (series.y[i] > series.y[highest]) highest = i;
        }
        const auto keep = [&](std::size_t i) {
            reduced.x.push_back(series.x[i]);
            reduced.y.push_back(series.y[i]);
        };
        keep(std::min(lowest, highest));
        if (lowest != highest) keep(std::max(lowest, highest));
    }
    return reduced;
}

std::string line_chart_svg(const ChartFrame& frame, const std::vector<PlotSeries>& series) {
    double x_low = 0;
    double x_high = 0;
    double y_low = 0;
    double y_high = 0;
    finite_range(series, &PlotSeries::x, x_low, x_high);
    finite_range(series, &PlotSeries::y, y_low, y_high);
    const double padding = (y_high - y_low) * kValuePadding;
    y_low -= padding;
    y_high += padding;
    Scale x{};
    Scale y{};
    std::string svg = svg_open(frame) + axes(frame, nice_ticks(x_low, x_high, kTickCount),
                                             nice_ticks(y_low, y_high, kTickCount), x, y);
    for (const auto& one : series) svg += polyline(decimate_series(one, kMaxDrawnPoints), x, y);
    return svg + legend(frame, series) + "</svg>\n";
}

std::vector<HistogramBin> histogram_bins(const std::vector<double>& values, std::size_t bin_count) {
    std::vector<double> finite;
    for (const double value : values) {
        if (std::isfinite(value)) finite.push_back(value);
    }
    if (finite.empty() || bin_count == 0) return {};
    const auto [low, high] = std::minmax_element(finite.begin(), finite.end());
    if (*low == *high) return {HistogramBin{*low, *high, finite.size()}};
    const double width = (*high - *low) / static_cast<double>(bin_count);
    std::vector<HistogramBin> bins(bin_count);
    for (std::size_t i = 0; i < bin_count; ++i) {
        bins[i].low = *low + width * static_cast<double>(i);
        bins[i].high = i + 1 == bin_count ? *high : *low + width * static_cast<double>(i + 1);
    }
    for (const double value : finite) {
        const auto bin = static_cast<std::size_t>((value - *low) / width);
        ++bins[std::min(bin, bin_count - 1)].count;
    }
    return bins;
}

std::string histogram_svg(const ChartFrame& frame, const std::vector<HistogramBin>& bins, const std::string& color) {
    const double x_low = bins.empty() ? 0.0 : bins.front().low;
    const double x_high = bins.empty() ? 0.0 : bins.back().high;
    std::size_t most = 0;
    for (const auto& bin : bins) most = std::max(most, bin.count);
    Scale x{};
    Scale y{};
    std::string svg = svg_open(frame) + axes(frame, nice_ticks(x_low, x_high, kTickCount),
                                             nice_ticks(0.0, static_cast<double>(std::max<std::size_t>(most, 1)),
                                                        kTickCount),
                                             x, y);
    // A single bin (all values equal) gets the width of one tick step.
    const double single_width = (x.high - x.low) / static_cast<double>(kTickCount);
    for (const auto& bin : bins) {
        const double low = bin.high > bin.low ? bin.low : bin.low - single_width / 2;
        const double high = bin.high > bin.low ? bin.high : bin.high + single_width / 2;
        const double left = x(low);
        const double width = std::max(1.0, x(high) - left - 1);
        const double top = y(static_cast<double>(bin.count));
        svg += "<rect class=\"bar\" fill=\"" + xml_escape(color) + "\" x=\"" + number(left) + "\" y=\"" +
               number(top) + "\" width=\"" + number(width) + "\" height=\"" + number(y(0.0) - top) +
               "\" data-count=\"" + std::to_string(bin.count) + "\"/>\n";
    }
    return svg + "</svg>\n";
}

}  // namespace velmora::stereo_tool
