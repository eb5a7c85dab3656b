#pragma once
// Taking a value out of a query line between an opening and a closing text,
// and the character counts of the scan. Characters are Unicode code points of
// the UTF-8 text; the results are views into the line.

#include <cstddef>
#include <string_view>

namespace ql {

// Where the search for the closing text starts.
enum class SearchFrom {
    LineStart,  // the line's first character
    LastOfOpen,  // the last character of the opening text
    AfterOpen,  // the first character after the opening text
};

// With a the 1-based position of the first opening text O (0 without one) and
// b that of the first closing text from the given start (0 without one): the
// b - a - |O| characters from position a + |O|, cut at the end of the line;
// empty when that length is 0 or less.
std::string_view CutValue(std::string_view line, std::string_view open, std::string_view close, SearchFrom from);

// Number of code points (bytes that do not continue a UTF-8 sequence).
std::size_t CodePointCount(std::string_view text);

// The text without its last n code points; empty when it has n or fewer.
std::string_view DropLastCodePoints(std::string_view text, std::size_t n);

// The longest start of the text of at most maxBytes bytes that ends between
// two code points.
std::string_view CapBytes(std::string_view text, std::size_t maxBytes);

}  // namespace ql
