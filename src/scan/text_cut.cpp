#include "scan/text_cut.h"

namespace ql {

namespace {

bool IsContinuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Byte offset of the character at 0-based character index `chars`, or the
// line's size when the line is shorter.
std::size_t ByteOffsetOfChar(std::string_view text, std::size_t chars)
{
    std::size_t i = 0;
    for (std::size_t seen = 0; i < text.size(); ++i) {
        if (IsContinuation(text[i])) continue;
        if (seen == chars) return i;
        ++seen;
    }
    return text.size();
}

}  // namespace

std::size_t CodePointCount(std::string_view text)
{
    std::size_t count = 0;
    for (char c : text)
        if (!IsContinuation(c)) ++count;
    return count;
}

std::string_view DropLastCodePoints(std::string_view text, std::size_t n)
{
    std::size_t end = text.size();
    for (std::size_t dropped = 0; dropped < n; ++dropped) {
        if (end == 0) return {};
        --end;
        while (end > 0 && IsContinuation(text[end])) --end;
    }
    return text.substr(0, end);
}

std::string_view CapBytes(std::string_view text, std::size_t maxBytes)
{
    if (text.size() <= maxBytes) return text;
    std::size_t end = maxBytes;
    while (end > 0 && IsContinuation(text[end])) --end;
    return text.substr(0, end);
}

std::string_view CutValue(std::string_view line, std::string_view open, std::string_view close, SearchFrom from)
{
    // The opening and closing texts are ASCII, so once the opening text is
    // found, byte and character distances from it agree. Without it the value
    // starts |O| characters into the line, counted in characters.
    const std::size_t openAt = line.find(open);
    const bool found = openAt != std::string_view::npos;

    std::size_t searchAt = 0;  // byte offset where the closing text is looked for
    if (from != SearchFrom::LineStart) {
        const std::size_t skip = open.size() - (from == SearchFrom::LastOfOpen ? 1 : 0);
        searchAt = found ? openAt + skip : ByteOffsetOfChar(line, skip == 0 ? 0 : skip - 1);
    }
    const std::size_t valueAt = found ? openAt + open.size() : ByteOffsetOfChar(line, open.size() - 1);

    const std::size_t closeAt = searchAt > line.size() ? std::string_view::npos : line.find(close, searchAt);
    // Without a closing text b is 0, which gives a length of 0 or less.
    if (closeAt == std::string_view::npos || closeAt <= valueAt) return {};
    return line.substr(valueAt, closeAt - valueAt);
}

}  // namespace ql
