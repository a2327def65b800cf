// Byte-by-byte scanners for the JSON tokens that the minifier's fast paths
// hand over: numbers of any form, strings with escapes or running past a
// block, and the escapes themselves. They check the
// end of the input at every byte and return where the token ended or where it
// went wrong, which is the offset a failure reports.
#pragma once

namespace velmora::uvc_stereo::detail {

// `p` is on a '-' or a digit. Returns the byte after the number, or with
// `ok` false the byte where it went wrong.
const char* scan_number(const char* p, const char* end, bool& ok);

// `p` is on the opening quote of a string. Returns the byte after the
// closing quote, or with `ok` false the byte where the string went wrong: a
// bad escape, a control byte, or the end of the input.
const char* scan_string(const char* p, const char* end, bool& ok);

// `p` is inside a string, on a byte that is not part of an escape: the rest
// of the string is scanned as scan_string does.
const char* scan_string_from(const char* p, const char* end, bool& ok);

// `p` is just after a backslash. Returns the byte after the escape, or with
// `ok` false the byte where it went wrong. Escapes are validated, never
// decoded: a high surrogate must be followed at once by an escaped low one.
const char* scan_escape(const char* p, const char* end, bool& ok);

}  // namespace velmora::uvc_stereo::detail
