// Deterministic JSON documents for the minifier benchmarks: calibration
// documents of several sizes, one that is mostly whitespace and one that is
// mostly long strings. Every run and every machine gets the same bytes.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace velmora::bench {

struct NamedDocument {
    std::string name;
    std::string text;
};

// A pretty-printed calibration document (two-space indentation) of exactly
// `size` bytes: nested objects, arrays of numbers and escaped strings, padded
// with trailing spaces.
std::string calibration_document(std::size_t size);

// The same content indented eight spaces per level, with CRLF line ends and a
// blank line between cameras: about four bytes in five are whitespace.
std::string whitespace_heavy_document(std::size_t size);

// Long strings (text and base64-like blobs of one to three KiB, with a rare
// escape and a few UTF-8 letters), compactly laid out.
std::string string_heavy_document(std::size_t size);

// The benchmark set: 64 KiB calibration, 4 KiB calibration, 64 KiB
// whitespace-heavy, 64 KiB string-heavy and 1 MiB calibration.
std::vector<NamedDocument> benchmark_documents();

}  // namespace velmora::bench
