#include "core/query_text.h"

#include <cstring>

#include "core/user_error.h"

namespace ql {

QueryText QueryText::FromBytes(std::string bytes)
{
    QueryText q;
    q.buffer_ = std::move(bytes);
    const char* data = q.buffer_.data();
    const std::size_t n = q.buffer_.size();
    std::size_t pos = 0;
    if (n >= 3 && static_cast<unsigned char>(data[0]) == 0xEF &&
        static_cast<unsigned char>(data[1]) == 0xBB && static_cast<unsigned char>(data[2]) == 0xBF)
        pos = 3;

    // A quick count of the LF bytes sizes the table once for the usual CR LF file.
    std::size_t breaks = 0;
    for (const char* p = data + pos; (p = static_cast<const char*>(std::memchr(p, '\n', n - (p - data)))); ++p)
        ++breaks;
    q.lines_.reserve(breaks + 1);

    // The next LF and the next CR at or after a position, each found with
    // memchr and kept until the split passes it.
    auto next = [data, n](char c, std::size_t from) {
        const void* hit = from < n ? std::memchr(data + from, c, n - from) : nullptr;
        return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - data) : n;
    };
    std::size_t nextLf = next('\n', pos);
    std::size_t nextCr = next('\r', pos);
    std::size_t start = pos;
    while (start < n) {
        if (nextLf < start) nextLf = next('\n', start);
        if (nextCr < start) nextCr = next('\r', start);
        std::size_t i = nextLf < nextCr ? nextLf : nextCr;
        q.lines_.push_back({start, i - start});
        if (i >= n) break;
        if (data[i] == '\r' && i + 1 < n && data[i + 1] == '\n') ++i;
        start = i + 1;
    }
    return q;
}

std::string_view QueryText::at(std::size_t i) const
{
    if (i >= lines_.size()) ThrowIndexError(static_cast<long long>(i));
    return {buffer_.data() + lines_[i].offset, lines_[i].length};
}

std::size_t QueryText::memoryBytes() const
{
    return buffer_.capacity() + lines_.capacity() * sizeof(Span);
}

}  // namespace ql
